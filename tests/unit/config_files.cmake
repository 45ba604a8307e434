alvento_add_test(NAME config_files_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/config_files_test.cpp
  LIBS alvento_image)
