alvento_add_test(NAME port_chooser_test LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/port_chooser_test.cpp
  LIBS alvento_gui)
add_dependencies(port_chooser_test alvento-sim)
