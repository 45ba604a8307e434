alvento_add_test(NAME engine_test LABEL unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_test.cpp LIBS alvento_engine)
