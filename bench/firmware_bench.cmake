# Firmware download by blocks and by stream against the simulator at 9600 baud.
# Run by hand: ninja firmware_bench && bench/firmware_bench [--baud B]
add_executable(firmware_bench ${CMAKE_CURRENT_LIST_DIR}/firmware_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(firmware_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(firmware_bench PRIVATE alvento_engine Qt6::Core)
target_compile_definitions(firmware_bench PRIVATE ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(firmware_bench alvento-sim)
