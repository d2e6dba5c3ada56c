# GoogleTest from the sources Debian installs (package googletest): nothing is downloaded.
set(KOVRA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${KOVRA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT WIN32 AND KOVRA_SANITIZE)
  foreach(lib gtest gtest_main gmock gmock_main)
    target_compile_options(${lib} PRIVATE -fsanitize=address,undefined)
  endforeach()
endif()
include(GoogleTest)

if(WIN32)
  # Every Windows test runs under Wine through a wrapper that owns the project's prefix.
  set(KOVRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${KOVRA_ROOT}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# kovra_add_test(name [DESKTOP] SOURCES ... LIBS ...): one GoogleTest executable, its cases
# discovered at test time. DESKTOP tests own the foreground and windows, so they run one at a time.
function(kovra_add_test name)
  cmake_parse_arguments(arg "DESKTOP" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    add_executable(${name} ${arg_SOURCES})
    target_link_options(${name} PRIVATE -municode)
  else()
    add_executable(${name} ${arg_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${arg_LIBS} kovra_options GTest::gmock)
  if(WIN32)
    target_sources(${name} PRIVATE ${KOVRA_ROOT}/tests/support/WinTestMain.cpp)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(props TIMEOUT 120)
  if(arg_DESKTOP)
    list(APPEND props RESOURCE_LOCK desktop)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ${props})
endfunction()
