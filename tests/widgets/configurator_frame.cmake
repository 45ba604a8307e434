alvento_add_test(NAME configurator_frame_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/configurator_frame_test.cpp LIBS alvento_gui)
alvento_add_test(NAME configurator_idle_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/configurator_idle_test.cpp LIBS alvento_gui alvento_simcore)
