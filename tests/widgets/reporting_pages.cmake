alvento_add_test(NAME reporting_pages_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reporting_pages_test.cpp LIBS alvento_windows)
