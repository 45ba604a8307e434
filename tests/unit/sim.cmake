alvento_add_test(NAME sim_module_test LABEL unit
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_module_test.cpp
                 LIBS alvento_simcore)
add_dependencies(sim_module_test alvento-sim)
