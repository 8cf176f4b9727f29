# libFuzzer targets and their corpus replays.
#
# Every fuzz target is one source file, <name>_fuzzer.cpp, defining
# LLVMFuzzerTestOneInput, kept in a fuzz/ folder beside the code it fuzzes,
# with its seed corpus in fuzz/corpus/<name>/; each component adds its own
# fuzz/ folder. Two builds use it:
#
#   BUILD_FUZZERS=ON (clang): <name>_fuzzer, linked with libFuzzer; everything
#   else is compiled with coverage, ASan and UBSan so the fuzzer sees inside
#   the libraries. scripts/run-fuzzers.sh runs them.
#
#   BUILD_TESTING=ON otherwise: <name>_replay, the same source with a small
#   main that feeds it each file of the seed corpus, registered with CTest.
#   It keeps the harnesses compiling and runs their checks on the seeds.

if(BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BUILD_FUZZERS needs clang (libFuzzer); configure with the preset 'fuzz'")
  endif()
  # The standard library's own functions (the instances our code makes of
  # them) get no coverage: their edges and comparisons guide the fuzzer
  # nowhere in the code under test and cost a third of a harness's time. They
  # keep ASan and UBSan.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer
                      -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/fuzz_coverage_ignore.txt)
  add_link_options(-fsanitize=address,undefined)
endif()

set(FUZZ_REPLAY_MAIN ${CMAKE_CURRENT_LIST_DIR}/fuzz_replay_main.cpp)

# add_fuzz_target(NAME LIBRARIES lib...)
# from a fuzz/ folder holding NAME_fuzzer.cpp and corpus/NAME/.
function(add_fuzz_target name)
  cmake_parse_arguments(FUZZ "" "" "LIBRARIES" ${ARGN})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${name}_fuzzer.cpp)
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  if(BUILD_FUZZERS)
    add_executable(${name}_fuzzer ${source})
    target_link_libraries(${name}_fuzzer PRIVATE ${FUZZ_LIBRARIES} test_support)
    target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY FUZZ_TARGETS ${name})
    set_property(GLOBAL APPEND PROPERTY FUZZ_CORPORA ${corpus})
  elseif(BUILD_TESTING AND TESTS_CAN_RUN)
    add_executable(${name}_replay ${source} ${FUZZ_REPLAY_MAIN})
    target_link_libraries(${name}_replay PRIVATE ${FUZZ_LIBRARIES} test_support)
    add_test(NAME fuzz_replay.${name} COMMAND ${name}_replay ${corpus})
  endif()
endfunction()

# The list scripts/run-fuzzers.sh runs: "name corpus" per line. Called at
# the end of the top-level CMakeLists, once every component added its fuzz/.
function(write_fuzz_target_list)
  if(NOT BUILD_FUZZERS)
    return()
  endif()
  get_property(targets GLOBAL PROPERTY FUZZ_TARGETS)
  get_property(corpora GLOBAL PROPERTY FUZZ_CORPORA)
  set(lines "")
  foreach(target corpus IN ZIP_LISTS targets corpora)
    string(APPEND lines "${target} ${corpus}\n")
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/fuzz_targets.txt "${lines}")
endfunction()
