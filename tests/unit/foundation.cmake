alvento_add_test(NAME frames_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frames_test.cpp LIBS alvento_serial)
alvento_add_test(NAME settings_store_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_store_test.cpp LIBS alvento_settings)
alvento_add_test(NAME identify_handshake_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/identify_handshake_test.cpp LIBS alvento_discovery_core)
