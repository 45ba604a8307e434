alvento_add_test(NAME modem_e2e_test LABEL e2e
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_e2e_test.cpp LIBS alvento_windows)
add_dependencies(modem_e2e_test alvento-sim)
