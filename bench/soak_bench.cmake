# Soak run: read-alls and write-alls against the simulator with random reply
# faults, counting wrong bytes. Run by hand: ninja soak_bench && bench/soak_bench [ROUNDS]
add_executable(soak_bench ${CMAKE_CURRENT_LIST_DIR}/soak_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(soak_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(soak_bench PRIVATE alvento_engine Qt6::Core)
target_compile_definitions(soak_bench PRIVATE ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(soak_bench alvento-sim)
