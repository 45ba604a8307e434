alvento_add_test(NAME auxiliary_windows_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/auxiliary_windows_test.cpp LIBS alvento_gui)
