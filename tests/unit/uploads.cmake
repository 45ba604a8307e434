alvento_add_test(NAME uploads_test LABEL unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/uploads_test.cpp LIBS alvento_engine)
