alvento_add_test(NAME legacy_codecs_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/legacy_codecs_test.cpp LIBS alvento_windows)
alvento_add_test(NAME legacy_windows_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/legacy_windows_test.cpp LIBS alvento_gui)
