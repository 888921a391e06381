# Each fuzz target built a second time around replay_main.cpp instead of
# libFuzzer, and its corpus fed to it as a test: it needs no clang and no
# LEAFWRIGHT_FUZZ, and runs in every suite, the sanitizer build included. An
# input that once broke a target is kept in its corpus/<name>/ and so checked
# on every run. Included by tests/CMakeLists.txt.
file(GLOB LEAFWRIGHT_FUZZ_REPLAY_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzz.cpp)
foreach(source ${LEAFWRIGHT_FUZZ_REPLAY_SOURCES})
  get_filename_component(target ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${target})
  add_executable(${name}_replay ${source} ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE leafwright_core)
  # Checks shared with the unit tests (support/pdf_structure.h).
  target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME fuzz_replay_${name}
           COMMAND ${name}_replay ${CMAKE_CURRENT_LIST_DIR}/corpus/${name})
  set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 300)
endforeach()

# The replay itself: a target that aborts must fail it (status 134 of SIGABRT).
add_executable(replay_check ${CMAKE_CURRENT_LIST_DIR}/replay_check_target.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
add_test(NAME fuzz_replay_stops_at_a_failing_input
         COMMAND sh -c "\"$0\" \"$1\"; test $? -eq 134" $<TARGET_FILE:replay_check>
                 ${CMAKE_CURRENT_LIST_DIR}/corpus/config_file/short)
