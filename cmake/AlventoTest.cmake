# alvento_add_test(NAME <name> LABEL unit|widgets|e2e SOURCES ... LIBS ... [TIMEOUT s])
# Each test binary links the shared GoogleTest main, which creates the Qt application
# object the test needs (QApplication for widget and end-to-end tests).
function(alvento_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    if(T_LABEL STREQUAL "e2e")
      set(T_TIMEOUT 300)
    else()
      set(T_TIMEOUT 60)
    endif()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_LABEL STREQUAL "unit")
    target_link_libraries(${T_NAME} PRIVATE alvento_test_main_core ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE alvento_test_main_gui ${T_LIBS})
  endif()
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env "QT_QPA_PLATFORM=offscreen"
          "ALVENTO_SIM=$<TARGET_FILE:alvento-sim>"
          "ALVENTO_EXE=$<TARGET_FILE:alvento>"
          # Every write keeps a backup below the user's data folder; tests keep theirs here.
          "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-data")
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "${env}")
endfunction()
