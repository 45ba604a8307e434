alvento_add_test(NAME image_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_test.cpp
  LIBS alvento_image)
