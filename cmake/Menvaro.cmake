# Project-wide compiler settings and helpers for libraries and tests.

add_compile_options(-Wall -Wextra -Werror)

if(MENVARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
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

# menvaro_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose cases are registered with CTest one by one.
function(menvaro_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(props)
  if(T_ENV)
    set(props PROPERTIES ENVIRONMENT "${T_ENV}")
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
