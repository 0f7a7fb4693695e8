include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # Debian ships the GoogleTest sources; build them with the cross compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(gtest_libs GTest::gtest GTest::gtest_main)
  if(NOT TARGET GTest::gtest)
    set(gtest_libs gtest gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
  set(gtest_libs GTest::gtest GTest::gtest_main)
endif()

# Fakes and test-only pieces shared by the test binaries.
file(GLOB support_sources CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(velmora_test_support STATIC ${support_sources})
target_link_libraries(velmora_test_support PUBLIC velmora_app)
target_include_directories(velmora_test_support PUBLIC tests)

# Native unit tests of the portable core (also built for Windows so the core is
# checked with the cross compiler too, but run only natively).
file(GLOB unit_sources CONFIGURE_DEPENDS tests/unit/*.cpp)
if(unit_sources AND NOT WIN32)
  add_executable(velmora_unit_tests ${unit_sources})
  target_link_libraries(velmora_unit_tests PRIVATE velmora_cli velmora_test_support ${gtest_libs})
  target_compile_definitions(velmora_unit_tests PRIVATE
    VELMORA_CLI_PATH="$<$<TARGET_EXISTS:velmora-cli>:$<TARGET_FILE:velmora-cli>>"
    VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(velmora_unit_tests DISCOVERY_MODE PRE_TEST)
endif()

# The tests with real threads, alone, for the ThreadSanitizer build.
if(VELMORA_SANITIZE_THREAD AND NOT WIN32)
  add_executable(velmora_thread_tests tests/unit/test_run_cycle.cpp)
  target_link_libraries(velmora_thread_tests PRIVATE velmora_test_support ${gtest_libs})
endif()

# Windows tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
if(WIN32)
  file(GLOB win32_test_sources CONFIGURE_DEPENDS tests/win32/*.cpp)
  list(FILTER win32_test_sources EXCLUDE REGEX "_main\\.cpp$")
  if(win32_test_sources)
    add_executable(velmora_win32_tests ${win32_test_sources} ${velmora_rc_files})
    target_link_libraries(velmora_win32_tests PRIVATE velmora_win32 velmora_cli velmora_test_support ${gtest_libs})
    target_include_directories(velmora_win32_tests PRIVATE tests)
    # The tests start these programs by path; they live beside the test binary.
    # velmora.exe with a shorter pause after each exchange, for the long run.
    add_executable(velmora-quick-pause WIN32 tests/win32/quick_pause_main.cpp ${velmora_rc_files})
    target_link_libraries(velmora-quick-pause PRIVATE velmora_win32)
    foreach(tool hostsim velmora velmora-quick-pause velmora-cli)
      if(TARGET ${tool})
        add_dependencies(velmora_win32_tests ${tool})
      endif()
    endforeach()
    gtest_discover_tests(velmora_win32_tests DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  endif()
endif()
