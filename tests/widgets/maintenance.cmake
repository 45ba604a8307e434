alvento_add_test(NAME maintenance_windows_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maintenance_windows_test.cpp LIBS alvento_windows)
