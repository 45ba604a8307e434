alvento_add_test(NAME safety_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/safety_test.cpp
  LIBS alvento_safety)
