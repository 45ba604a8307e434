alvento_add_test(NAME modem_dialogs_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_dialogs_test.cpp LIBS alvento_windows)
