# What the read-back verify of a write-all costs beside the write, per transfer
# method, against the simulator at 9600 baud. Run by hand:
#   ninja verify_bench && bench/verify_bench [--repeat N]
add_executable(verify_bench ${CMAKE_CURRENT_LIST_DIR}/verify_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(verify_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(verify_bench PRIVATE Qt6::Core)
target_compile_definitions(verify_bench PRIVATE
  ALVENTO_EXE_PATH="$<TARGET_FILE:alvento>" ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(verify_bench alvento alvento-sim)
