alvento_add_test(NAME modem_replies_test LABEL unit
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_replies_test.cpp LIBS alvento_engine)
