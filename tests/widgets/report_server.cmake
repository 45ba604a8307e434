alvento_add_test(NAME maintenance_report_server_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_server_test.cpp LIBS alvento_gui)
