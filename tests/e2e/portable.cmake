alvento_add_test(NAME portable_e2e_test LABEL e2e TIMEOUT 400
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/portable_e2e_test.cpp
  LIBS alvento_cli)
