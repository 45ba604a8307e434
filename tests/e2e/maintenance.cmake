alvento_add_test(NAME maintenance_e2e_test LABEL e2e
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maintenance_e2e_test.cpp LIBS alvento_gui)
add_dependencies(maintenance_e2e_test alvento-sim)
target_compile_definitions(maintenance_e2e_test PRIVATE
  ALVENTO_TEST_FIRMWARE="${PROJECT_SOURCE_DIR}/tests/data/firmware/placeholder.hex"
  ALVENTO_CARRIES_FIRMWARE=${ALVENTO_CARRIES_FIRMWARE})
