alvento_add_test(NAME legacy_codecs_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/legacy_codecs_test.cpp LIBS alvento_windows)
