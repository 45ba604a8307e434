alvento_add_test(NAME safety_cli_e2e_test LABEL e2e TIMEOUT 400
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/safety_cli_e2e_test.cpp
  LIBS alvento_cli)
alvento_add_test(NAME safety_window_e2e_test LABEL e2e TIMEOUT 400
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/safety_window_e2e_test.cpp
  LIBS alvento_gui)
