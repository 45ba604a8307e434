# Transfer speed of the command-line mode against the simulator at 9600 baud.
# Run by hand: ninja transfer_bench && bench/transfer_bench
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(transfer_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(transfer_bench PRIVATE Qt6::Core)
target_compile_definitions(transfer_bench PRIVATE
  ALVENTO_EXE_PATH="$<TARGET_FILE:alvento>" ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(transfer_bench alvento alvento-sim)
