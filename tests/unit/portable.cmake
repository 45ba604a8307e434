alvento_add_test(NAME portable_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/portable_test.cpp
  LIBS alvento_image)
