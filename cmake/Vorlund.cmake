# Build helpers shared by every folder.

if(VORLUND_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer, for the build of the network tests of its own (test.sh).
option(VORLUND_TSAN "Build with ThreadSanitizer" OFF)
if(VORLUND_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(VORLUND_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VORLUND_FUZZ needs clang")
  endif()
  # Coverage for the code under test; the fuzz targets add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GoogleTest's EXPECT macros expand to an if/else; gcc flags every one used
  # as the body of an unbraced if.
  add_compile_options(-Wno-dangling-else)
endif()

# vorlund_library(NAME FOLDER PUBLIC_LIBS ...): a static library vorlund_NAME of
# every .cpp below FOLDER; an interface library while the folder has no sources.
function(vorlund_library name folder)
  cmake_parse_arguments(ARG "" "" "PUBLIC_LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_library(vorlund_${name} STATIC ${sources})
    target_include_directories(vorlund_${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(vorlund_${name} PUBLIC ${ARG_PUBLIC_LIBS})
  else()
    add_library(vorlund_${name} INTERFACE)
    target_include_directories(vorlund_${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(vorlund_${name} INTERFACE ${ARG_PUBLIC_LIBS})
  endif()
endfunction()

# vorlund_test(NAME FOLDER [RECURSE] LIBS ... [LABELS ...]): one GoogleTest
# program per test folder (with its sub-folders under RECURSE); its tests
# carry the labels.
function(vorlund_test name folder)
  cmake_parse_arguments(ARG "RECURSE" "" "LIBS;LABELS" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} vorlund_test_support GTest::gtest)
  # The environment the tests need is set by their main (tests/support).
  set(properties)
  if(ARG_LABELS)
    set(properties PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    ${properties})
endfunction()
