# Builds the Debian package from this build tree, unpacks it into a scratch
# root and runs what it installed.
alvento_add_test(NAME install_e2e_test LABEL e2e TIMEOUT 240
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/install_e2e_test.cpp LIBS alvento_settings)
set_property(TEST install_e2e_test APPEND PROPERTY ENVIRONMENT
  "ALVENTO_CPACK=${CMAKE_CPACK_COMMAND}"
  "ALVENTO_CPACK_CONFIG=${PROJECT_BINARY_DIR}/CPackConfig.cmake")
# Which build it is decides what the package may hold: the stock one no firmware at all.
target_compile_definitions(install_e2e_test PRIVATE
  ALVENTO_TEST_FIRMWARE="${PROJECT_SOURCE_DIR}/tests/data/firmware/placeholder.hex"
  ALVENTO_CARRIES_FIRMWARE=${ALVENTO_CARRIES_FIRMWARE})
