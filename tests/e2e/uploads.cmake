alvento_add_test(NAME uploads_e2e_test LABEL e2e
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/uploads_e2e_test.cpp LIBS alvento_engine)
target_compile_definitions(uploads_e2e_test PRIVATE
  ALVENTO_UPLOADS_DATA="${CMAKE_CURRENT_LIST_DIR}/uploads_data")
add_dependencies(uploads_e2e_test alvento-sim)
alvento_add_test(NAME uploads_window_e2e_test LABEL e2e
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/uploads_window_e2e_test.cpp LIBS alvento_windows)
target_compile_definitions(uploads_window_e2e_test PRIVATE
  ALVENTO_UPLOADS_DATA="${CMAKE_CURRENT_LIST_DIR}/uploads_data")
add_dependencies(uploads_window_e2e_test alvento-sim)
