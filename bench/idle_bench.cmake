# What the windows cost while the configurator sits idle: wake-ups a second,
# CPU and resident memory against their goals. Run by hand under a display:
#   ninja idle_bench && xvfb-run -a bench/idle_bench [--seconds N]
add_executable(idle_bench ${CMAKE_CURRENT_LIST_DIR}/idle_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(idle_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(idle_bench PRIVATE Qt6::Core)
target_compile_definitions(idle_bench PRIVATE
  ALVENTO_EXE_PATH="$<TARGET_FILE:alvento>" ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(idle_bench alvento alvento-sim)
