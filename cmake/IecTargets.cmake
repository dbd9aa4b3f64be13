# Helpers shared by every folder's CMakeLists.txt. Sources are globbed so that a new
# file in a folder joins its target without touching the build files.

# iec_add_library(<target> DEPS <targets...>): one static library per source folder.
function(iec_add_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)  # a folder that holds no code yet
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} Threads::Threads)
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
endfunction()

# iec_add_test(<target> DEPS <targets...> [LABELS <labels...>] [ENVIRONMENT <VAR=value...>]):
# one GoogleTest executable per test folder; every test case becomes a CTest test. Tests labelled
# 'threaded' also run under ThreadSanitizer; tests labelled 'tshark' need Wireshark.
set(IEC_THREADED_TEST_TARGETS "" CACHE INTERNAL "")
function(iec_add_test target)
  cmake_parse_arguments(ARG "" "" "DEPS;LABELS;ENVIRONMENT" ${ARGN})
  list(FIND ARG_LABELS threaded is_threaded)
  if(IEC_THREADED_ONLY AND is_threaded EQUAL -1)
    return()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} iec_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
      IEC_SOURCE_DIR="${PROJECT_SOURCE_DIR}" IEC_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
  set(properties TIMEOUT 300)
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ${properties})
endfunction()

# iec_add_benchmark(<target> SOURCES <files...> DEPS <targets...>)
function(iec_add_benchmark target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  # A short smoke run keeps the benchmarks compiling and working; real numbers come
  # from running the executable by hand (see README).
  add_test(NAME ${target}.smoke COMMAND ${target} --benchmark_min_time=0.01)
  set_tests_properties(${target}.smoke PROPERTIES LABELS bench TIMEOUT 300)
endfunction()

# iec_add_fuzzer(<target> SOURCES <files...> DEPS <targets...>): a libFuzzer target,
# run for IEC_FUZZ_SECONDS by CTest.
set(IEC_FUZZ_SECONDS 30 CACHE STRING "How long each fuzz target runs")
function(iec_add_fuzzer target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${target}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  set(seeds "")
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/${target})
    set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/seeds/${target})
  endif()
  add_test(NAME ${target}
           COMMAND ${target} -max_total_time=${IEC_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=1 ${corpus} ${seeds})
  set_tests_properties(${target} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()
