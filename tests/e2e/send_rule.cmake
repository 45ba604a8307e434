alvento_add_test(NAME send_rule_e2e_test LABEL e2e TIMEOUT 900
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/send_rule_e2e_test.cpp
  LIBS alvento_gui)
