alvento_add_test(NAME configurator_sim_names_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/configurator_sim_names_test.cpp LIBS alvento_gui)
