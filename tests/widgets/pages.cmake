alvento_add_test(NAME pages_controls_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages_controls_test.cpp LIBS alvento_gui)
alvento_add_test(NAME pages_rules_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages_rules_test.cpp LIBS alvento_gui)
alvento_add_test(NAME pages_encode_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages_encode_test.cpp LIBS alvento_gui)
