alvento_add_test(NAME trace_menu_e2e_test LABEL e2e TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/trace_menu_e2e_test.cpp LIBS alvento_gui)
