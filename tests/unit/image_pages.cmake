alvento_add_test(NAME image_pages_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_pages_test.cpp
  LIBS alvento_image)
