alvento_add_test(NAME data_dir_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_dir_test.cpp LIBS alvento_settings)
target_compile_definitions(data_dir_test PRIVATE
  TEST_SOURCE_ASSETS="${PROJECT_SOURCE_DIR}/assets" TEST_BUILD_DIR="${PROJECT_BINARY_DIR}")
