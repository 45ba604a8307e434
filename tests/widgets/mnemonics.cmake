alvento_add_test(NAME mnemonics_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mnemonics_test.cpp LIBS alvento_gui)
