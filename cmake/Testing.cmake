# GoogleTest for both builds and one helper, sk_add_gtest, that every test folder uses.
enable_testing()
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's sources; compile them with the mingw toolchain.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# sk_add_gtest(<name> SOURCES ... [LIBS ...] [TEXT] [SCENARIO <prefix-name>] [DISPLAY]
#              [NATIVE_ONLY] [WINDOWS_ONLY] [TIMEOUT <s>] [EMULATOR <script>])
#   TEXT      run every case twice: under ru_RU.UTF-8 (as on a Russian Windows) and C.UTF-8.
#   SCENARIO  under Wine, give the cases a fresh copy of the template prefix named <prefix-name>
#             (registry, shell folders) instead of the shared unit-test prefix.
#   EMULATOR  under Wine, run the cases through <script> instead of tools/wine-run.sh (the test
#             discovery takes the emulator when the test is added: it cannot be set afterwards).
function(sk_add_gtest name)
  cmake_parse_arguments(T "TEXT;NATIVE_ONLY;WINDOWS_ONLY;DISPLAY" "SCENARIO;TIMEOUT;EMULATOR" "SOURCES;LIBS" ${ARGN})
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_EMULATOR AND CMAKE_CROSSCOMPILING)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${T_EMULATOR}")
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    SK_TEST_CORPUS_DIR="${SK_CORPUS_DIR_FOR_TESTS}"
    SK_TEST_SOURCE_DIR="${SK_SOURCE_DIR_FOR_TESTS}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # Each property takes one value here: a list inside ENVIRONMENT would be split into property
  # names by gtest_discover_tests, so the scenario comes in through ENVIRONMENT_MODIFICATION.
  set(env "")
  set(lock "")
  if(T_SCENARIO)
    set(env ENVIRONMENT_MODIFICATION "SK_WINE_SCENARIO=set:${T_SCENARIO}")
    # The cases of a scenario share its prefix (its registry and drive C:): one at a time.
    set(lock RESOURCE_LOCK "scenario-${T_SCENARIO}")
  endif()
  if(CMAKE_CROSSCOMPILING AND NOT T_SCENARIO)
    # Under Wine every process start costs about a second, and these programs' cases need no
    # prefix of their own: each program runs as one test per locale, its failing cases named in
    # its output.
    set(locales "C.UTF-8")
    set(prefixes "")
    if(T_TEXT)
      set(locales "ru_RU.UTF-8" "C.UTF-8")
      set(prefixes "ru." "c.")
    endif()
    foreach(locale IN LISTS locales)
      set(test_name "${name}")
      if(prefixes)
        list(POP_FRONT prefixes prefix)
        set(test_name "${prefix}${name}")
      endif()
      add_test(NAME ${test_name} COMMAND ${name} --gtest_brief=1)
      set_tests_properties(${test_name} PROPERTIES ENVIRONMENT "LC_ALL=${locale}"
        TIMEOUT 900)
    endforeach()
  elseif(T_TEXT)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "ru."
      PROPERTIES ENVIRONMENT "LC_ALL=ru_RU.UTF-8" ${env} TIMEOUT ${T_TIMEOUT} ${lock})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "c."
      PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" ${env} TIMEOUT ${T_TIMEOUT} ${lock})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" ${env} TIMEOUT ${T_TIMEOUT} ${lock})
  endif()
endfunction()

# Where tests find the corpus and the source tree: Unix paths natively, the drives that
# tools/wine-run.sh maps (S: source, R: corpus) under Wine.
if(WIN32)
  set(SK_CORPUS_DIR_FOR_TESTS "R:\\\\")
  set(SK_SOURCE_DIR_FOR_TESTS "S:\\\\")
else()
  set(SK_CORPUS_DIR_FOR_TESTS "${SK_RAR_CORPUS_DIR}/")
  set(SK_SOURCE_DIR_FOR_TESTS "${SK_SOURCE_DIR}/")
endif()
