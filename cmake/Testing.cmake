# GoogleTest from Debian's source package, so the same tests build natively and for Windows.
enable_testing()
set(VELLORAN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
# GoogleTest is not our code: keep its warnings out of ours.
add_subdirectory(${VELLORAN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)

# Whether this tree runs its tests: natively, or through an emulator (Wine for
# the 64-bit tree). A tree that can't run them (the 32-bit one) still declares
# every test program, so that it can be built by name and carried to Windows,
# but builds only what ships.
if(NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR)
  set(VELLORAN_RUNS_TESTS ON)
else()
  set(VELLORAN_RUNS_TESTS OFF)
endif()

# velloran_add_test(NAME SOURCES... [LIBS ...] [TIMEOUT s])
# Natively every test case becomes a CTest test; under Wine one CTest test per
# executable, because every Wine process start costs a good fraction of a second.
function(velloran_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  if(VELLORAN_RUNS_TESTS)
    add_executable(${name} ${T_SOURCES})
  else()
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set(data_dir ${CMAKE_CURRENT_SOURCE_DIR}/data)
  if(CMAKE_CROSSCOMPILING)
    # Wine shows the Linux file system as drive Z:.
    set(data_dir "Z:${data_dir}")
  endif()
  target_compile_definitions(${name} PRIVATE VELLORAN_TEST_DATA="${data_dir}")
  if(NOT VELLORAN_RUNS_TESTS)
    return()
  elseif(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    # One display for all: windows of two GUI tests must not take focus from each other.
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS wine RESOURCE_LOCK display)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()
