# Helpers shared by every room's CMakeLists.

# velalink_library(name SOURCES ... DEPS ...)
function(velalink_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# The version stamp every executable of the project carries; FileVersionText
# reads it back from the file. On Windows it is a VERSIONINFO resource made
# with windres.
if(WIN32)
  enable_language(RC)
  set(VELALINK_STAMP_SOURCE ${PROJECT_BINARY_DIR}/velalink_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${VELALINK_STAMP_SOURCE} @ONLY)
else()
  set(VELALINK_STAMP_SOURCE ${PROJECT_BINARY_DIR}/velalink_version_stamp.c)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_stamp.c.in ${VELALINK_STAMP_SOURCE} @ONLY)
endif()

# velalink_executable(name SOURCES ... DEPS ...)
function(velalink_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${VELALINK_STAMP_SOURCE})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# velalink_test(name SOURCES ... [LINUX_ONLY ...] [WINDOWS_ONLY ...] DEPS ... [LABELS ...])
# One GoogleTest executable; every TEST becomes a CTest test. LINUX_ONLY
# files (pseudo-terminals, sockets, POSIX files) are left out of the Windows
# build, and named in linux-only-tests.txt of the build folder.
function(velalink_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINUX_ONLY;WINDOWS_ONLY;DEPS;LABELS" ${ARGN})
  if(WIN32)
    list(APPEND ARG_SOURCES ${ARG_WINDOWS_ONLY})
    foreach(file IN LISTS ARG_LINUX_ONLY)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${file})
      file(APPEND ${PROJECT_BINARY_DIR}/linux-only-tests.txt "${name}: ${relative}\n")
    endforeach()
  else()
    list(APPEND ARG_SOURCES ${ARG_LINUX_ONLY})
  endif()
  velalink_executable(${name} SOURCES ${ARG_SOURCES} DEPS ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE VELALINK_BINARY_DIR="${PROJECT_BINARY_DIR}"
                                             VELALINK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    # Under Wine each start costs a second: one CTest test per program
    # (scripts/test-windows runs them).
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  else()
    # NO_PRETTY_VALUES: parameter dumps (with addresses in them) stay out of the names.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(threaded_tests ${name})
  endif()
endfunction()

# The test programs labelled "threads" and the programs they start: what the
# ThreadSanitizer build needs to build.
add_custom_target(threaded_tests)

# Adds every subdirectory of the current one that has a CMakeLists.txt.
function(velalink_add_subdirectories)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      if(child STREQUAL "qt" AND NOT VELALINK_QT)
        continue()
      endif()
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
