# Project-wide compiler settings and helpers for libraries and tests.

add_compile_options(-Wall -Wextra -Werror)
# At -O3 g++ 12 warns of overlapping copies inside std::string that cannot
# happen; those stay warnings so that a Release build goes through.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-error=restrict)
endif()

if(MENVARO_SANITIZE)
  # The library's own bounds checks (operator[], front() of an empty vector ...) too.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MENVARO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

# Headers are included by folder: "base/Exceptions.h", "registry/RegistryIniFile.h", ...
set(MENVARO_PLATFORM_INCLUDE ${PROJECT_SOURCE_DIR}/platform)

# Tests that run threads join this target; the test script builds it alone in
# a ThreadSanitizer build and runs the tests labelled "threaded" there.
add_custom_target(menvaro_threaded_tests)

# The demo product database: the target demo_database (demo/) makes
# ${MENVARO_DEMO_DB_DIR}/Velkoranth.db from demo/Velkoranth.sql; a test or
# program that reads it depends on that target.
set(MENVARO_DEMO_DB_DIR ${PROJECT_BINARY_DIR}/demo/db)

# menvaro_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One GoogleTest executable whose cases are registered with CTest one by one.
# The label "threaded" also puts it into the ThreadSanitizer run.
function(menvaro_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(props)
  # The environment goes in front of the command: a list of variables does
  # not survive the test discovery's property list.
  if(T_ENV)
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR /usr/bin/env ${T_ENV})
  endif()
  if(T_LABELS)
    string(REPLACE ";" "\\;" labels "${T_LABELS}")
    list(APPEND props LABELS "${labels}")
    if("threaded" IN_LIST T_LABELS)
      add_dependencies(menvaro_threaded_tests ${name})
    endif()
  endif()
  # Cases that share something on disk run one at a time.
  if(T_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(props)
    set(props PROPERTIES ${props})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} ${props})
endfunction()

# menvaro_bench(<name> SOURCES <files...> LIBS <targets...>)
# A Google Benchmark executable in bench/; run by hand, not by CTest.
function(menvaro_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# menvaro_class_library(<name> SOURCES <files...> [FORMS <files...>]
#                       [PUBLIC <targets...>] [PRIVATE <targets...>])
# A library of streamable classes. Each class registers itself from its
# class-info definition and each embedded form under its class, so nothing
# may be dropped by the linker: <name> is an interface target that links the
# archive <name>_archive whole into whatever links <name>.
function(menvaro_class_library name)
  cmake_parse_arguments(L "" "" "SOURCES;FORMS;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name}_archive STATIC ${L_SOURCES})
  target_include_directories(${name}_archive PUBLIC ${MENVARO_PLATFORM_INCLUDE})
  target_link_libraries(${name}_archive PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
  if(L_FORMS)
    menvaro_add_forms(${name}_archive ${L_FORMS})
  endif()
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}_archive>")
endfunction()

# The crash logger's debug information in a program (menvaro_add_debug_info).
include(${CMAKE_CURRENT_LIST_DIR}/DebugInfo.cmake)
