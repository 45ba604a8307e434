alvento_add_test(NAME configuration_files_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/configuration_files_test.cpp LIBS alvento_windows alvento_cli)
