# Sound upload of 255 blocks through the link engine against the simulator at
# 9600 baud. Run by hand: ninja upload_bench && bench/upload_bench
add_executable(upload_bench ${CMAKE_CURRENT_LIST_DIR}/upload_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/pty_sim.cpp)
target_include_directories(upload_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(upload_bench PRIVATE alvento_engine Qt6::Core)
target_compile_definitions(upload_bench PRIVATE ALVENTO_SIM_PATH="$<TARGET_FILE:alvento-sim>")
add_dependencies(upload_bench alvento-sim)
