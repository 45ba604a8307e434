alvento_add_test(NAME startup_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp LIBS alvento_gui)
alvento_add_test(NAME dispatch_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dispatch_test.cpp LIBS alvento_gui)
