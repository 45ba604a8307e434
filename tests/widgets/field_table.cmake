alvento_add_test(NAME field_table_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/field_table_test.cpp LIBS alvento_gui)
