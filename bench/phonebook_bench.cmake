# SIM phonebook read and write of 250 slots through the module's modem
# pass-through, against the simulator at 9600 baud.
# Run by hand: ninja phonebook_bench && bench/phonebook_bench
add_executable(phonebook_bench ${CMAKE_CURRENT_LIST_DIR}/phonebook_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(phonebook_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(phonebook_bench PRIVATE alvento_engine Qt6::Core)
target_compile_definitions(phonebook_bench PRIVATE ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(phonebook_bench alvento-sim)
