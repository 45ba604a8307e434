alvento_add_test(NAME languages_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/languages_test.cpp LIBS alvento_gui)
