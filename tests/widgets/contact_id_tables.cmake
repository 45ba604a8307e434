alvento_add_test(NAME contact_id_tables_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/contact_id_tables_test.cpp LIBS alvento_windows)
