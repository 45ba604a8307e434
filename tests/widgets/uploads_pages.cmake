alvento_add_test(NAME uploads_pages_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/uploads_pages_test.cpp LIBS alvento_windows)
