# Shared build rules for Coffer's folders.

# Folders arrive one issue at a time; a folder without a CMakeLists.txt is skipped.
function(coffer_add_folder dir)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_BINARY_DIR}/${dir})
  endif()
endfunction()

function(coffer_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
endfunction()

if(COFFER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# coffer_library(NAME SOURCES ... DEPS ...): one static library per folder.
function(coffer_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  list(FILTER ARG_SOURCES INCLUDE REGEX "\\.cpp$")
  if(NOT ARG_SOURCES)
    # A folder whose first class has not arrived yet.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  coffer_warnings(${name})
endfunction()

# coffer_test(NAME [QT] [BOTH_ENGINES] SOURCES ... DEPS ...): one GoogleTest program, its
# tests registered with CTest one by one so that ctest -j runs them in parallel, headless. QT
# gives the program a main() that builds a QApplication on the offscreen platform.
# BOTH_ENGINES registers every test a second time, as "server.<test>", run with its ledger
# on the test PostgreSQL server (tests/support/TestDb.h). COMMA_LOCALE registers them once
# more (with BOTH_ENGINES: twice more), as "comma.<test>", run under a decimal-comma locale
# (tests/support/CommaLocale.h): for the programs that carry money between text and value;
# COMMA_FILTER narrows that run to the tests matching a GoogleTest filter.
function(coffer_test name)
  cmake_parse_arguments(ARG "QT;BOTH_ENGINES;COMMA_LOCALE" "COMMA_FILTER" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE coffer_testmain_qt)
  else()
    target_link_libraries(${name} PRIVATE coffer_testmain)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  coffer_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
               TIMEOUT 300)
  if(ARG_BOTH_ENGINES)
    gtest_discover_tests(${name}
      DISCOVERY_TIMEOUT 60
      TEST_PREFIX "server."
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                 ENVIRONMENT_MODIFICATION "COFFER_TEST_ENGINE=set:server"
                 TIMEOUT 300)
  endif()
  if(NOT ARG_COMMA_FILTER)
    set(ARG_COMMA_FILTER "*")
  endif()
  if(ARG_COMMA_LOCALE)
    gtest_discover_tests(${name}
      TEST_FILTER "${ARG_COMMA_FILTER}"
      DISCOVERY_TIMEOUT 60
      TEST_PREFIX "comma."
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;COFFER_TEST_LOCALE=comma"
                 TIMEOUT 300)
    if(ARG_BOTH_ENGINES)
      gtest_discover_tests(${name}
        TEST_FILTER "${ARG_COMMA_FILTER}"
        DISCOVERY_TIMEOUT 60
        TEST_PREFIX "comma.server."
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;COFFER_TEST_LOCALE=comma"
                   ENVIRONMENT_MODIFICATION "COFFER_TEST_ENGINE=set:server"
                   TIMEOUT 300)
    endif()
  endif()
endfunction()
