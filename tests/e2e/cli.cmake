alvento_add_test(NAME cli_e2e_test LABEL e2e TIMEOUT 400
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_e2e_test.cpp
  LIBS alvento_cli)
