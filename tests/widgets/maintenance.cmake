alvento_add_test(NAME maintenance_windows_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maintenance_windows_test.cpp LIBS alvento_windows)
target_compile_definitions(maintenance_windows_test PRIVATE
  ALVENTO_TEST_FIRMWARE="${PROJECT_SOURCE_DIR}/tests/data/firmware/placeholder.hex"
  ALVENTO_CARRIES_FIRMWARE=${ALVENTO_CARRIES_FIRMWARE})
