alvento_add_test(NAME legacy_e2e_test LABEL e2e TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/legacy_e2e_test.cpp LIBS alvento_gui)
add_dependencies(legacy_e2e_test alvento-sim)
