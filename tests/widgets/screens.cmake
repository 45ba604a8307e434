alvento_add_test(NAME screens_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/screens_test.cpp LIBS alvento_gui)
