# bm_layer(NAME DIR DEPS ...): a static library of every .cpp file directly in
# DIR. A folder with no sources yet gives an interface library, so later work
# only has to add files.
function(bm_layer name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# bm_test_suite(NAME DIR DEPS ...): one GoogleTest program of every .cpp file
# in DIR, its cases registered one by one with CTest. SERIAL: its cases run
# one at a time, never beside another test.
function(bm_test_suite name dir)
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "DEPS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  # The ThreadSanitizer build runs only the suites that exercise threads.
  if(BM_TSAN AND NOT "tsan" IN_LIST ARG_LABELS)
    return()
  endif()
  # TestEnvironment.cpp gives every test program its environment (a test
  # property cannot carry several variables through test discovery).
  add_executable(${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/TestEnvironment.cpp)
  target_compile_definitions(${name} PRIVATE BM_TEST_DIST_DIR="${BM_DIST_DIR}" BM_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(BM_TSAN)
    add_dependencies(bm_tsan_suites ${name})
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} bm_testsupport GTest::gtest_main GTest::gmock)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(properties TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    # Listing the cases of a sanitizer build on a busy machine can take
    # longer than CMake's default of 5 s.
    DISCOVERY_TIMEOUT 120
    # Name parameterised cases by their index or their generated name; the
    # printed bytes of a parameter (pointers among them) would make names
    # that differ from build to build.
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ${properties})
endfunction()

