alvento_add_test(NAME languages_e2e_test LABEL e2e
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/languages_e2e_test.cpp LIBS alvento_gui)
