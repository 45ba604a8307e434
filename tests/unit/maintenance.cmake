alvento_add_test(NAME maintenance_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maintenance_test.cpp LIBS alvento_engine)
target_compile_definitions(maintenance_test PRIVATE ALVENTO_TEST_FIRMWARE="${PROJECT_SOURCE_DIR}/tests/data/firmware/placeholder.hex")
