alvento_add_test(NAME modem_sim_test LABEL unit
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/modem_sim_test.cpp LIBS alvento_simcore)
