# What a send after a one-field edit costs, backup read and read-back
# included, against the simulator at 9600 baud. Run by hand:
#   ninja send_bench && bench/send_bench [--repeat N]
add_executable(send_bench ${CMAKE_CURRENT_LIST_DIR}/send_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(send_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(send_bench PRIVATE Qt6::Core)
target_compile_definitions(send_bench PRIVATE
  ALVENTO_EXE_PATH="$<TARGET_FILE:alvento>" ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(send_bench alvento alvento-sim)
