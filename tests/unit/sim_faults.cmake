alvento_add_test(NAME sim_faults_test LABEL unit
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_faults_test.cpp
                 LIBS alvento_simcore)
add_dependencies(sim_faults_test alvento-sim)
