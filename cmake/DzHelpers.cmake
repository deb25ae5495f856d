# Helpers shared by every directory's CMakeLists.txt.
#
#   dz_warnings(target)                 -Wall -Wextra -Werror, in every tree
#   dz_library(name [DIR dir] [EXTRA srcs...] [PUBLIC_HEADERS h...] [DEPS ...])
#                                       a static library of every non-test, non-platform-specific
#                                       .cpp in dir (files ending in _win.cpp only on Windows)
#   dz_test(name SOURCES ... DEPS ...)  a GoogleTest executable registered as ONE ctest test
#                                       (under Wine each start costs seconds)
#   dz_internals(target libs...)        lets a tool, benchmark or fuzz target include every header
#                                       of the given libraries and of those below them
#   dz_own_headers(target [dir])        lets a program include the headers of its own folder (or
#                                       of dir)
#   dz_fuzz_target(name SOURCE f DEPS ... CORPUS dir)
#                                       a libFuzzer target (fuzz tree only); its corpus is
#                                       replayed as a ctest test
#
# Include roots: every header is included by its folder's path from the project root
# ("tableengine/dsbase.h"), but never through the project root itself. Each library gets two
# roots in the build tree, made of symbolic links: an internal one holding its whole folder, seen
# by the library and by tests, and a public one holding only its PUBLIC_HEADERS (every header of
# the folder when none are listed), exported to whatever links the library. So a header of a
# library that is not below, or not public, does not compile: the layering is the build's.
set(DZ_WARNINGS -Wall -Wextra)

function(dz_warnings target)
  target_compile_options(${target} PRIVATE ${DZ_WARNINGS} -Werror)
endfunction()

function(dz_sanitize target)
  if(DZ_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Collects the library sources of a directory: every .cpp that is not a test, a
# fuzz target or a program main; files ending in _win.cpp build only for Windows.
function(dz_collect_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(result)
  foreach(f ${all})
    get_filename_component(n ${f} NAME)
    if(n MATCHES "_test\\.cpp$" OR n MATCHES "_testing\\.cpp$" OR n MATCHES "_fuzz\\.cpp$"
       OR n MATCHES "_main\\.cpp$")
      continue()
    endif()
    if(n MATCHES "_win\\.cpp$" AND NOT WIN32)
      continue()
    endif()
    if(n MATCHES "_posix\\.cpp$" AND WIN32)
      continue()
    endif()
    list(APPEND result ${f})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The test sources of a directory: its *_test.cpp and the test helpers *_testing.cpp.
function(dz_collect_tests out dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*_test.cpp ${dir}/*_testing.cpp)
  set(result)
  foreach(f ${all})
    get_filename_component(n ${f} NAME)
    if(n MATCHES "_win_test\\.cpp$" AND NOT WIN32)
      continue()
    endif()
    list(APPEND result ${f})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

set(DZ_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/dz-include)

# Makes `root`/`folder` a link to the source folder, or, with headers given, a directory holding
# a link to each of them.
function(dz_make_include_root root folder)
  file(REMOVE_RECURSE ${root})
  if(NOT ARGN)
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    return()
  endif()
  foreach(h ${ARGN})
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${folder}/${h})
      message(FATAL_ERROR "${folder}: public header ${h} does not exist")
    endif()
    get_filename_component(parent ${root}/${folder}/${h} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${h} ${root}/${folder}/${h} SYMBOLIC)
  endforeach()
endfunction()

function(dz_library name)
  cmake_parse_arguments(A "" "DIR" "DEPS;EXTRA;PUBLIC_HEADERS" ${ARGN})
  if(NOT A_DIR)
    set(A_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${A_DIR})
  dz_collect_sources(srcs ${A_DIR})
  add_library(${name} STATIC ${srcs} ${A_EXTRA})
  dz_make_include_root(${DZ_INCLUDE_ROOTS}/internal/${name} ${folder})
  dz_make_include_root(${DZ_INCLUDE_ROOTS}/public/${name} ${folder} ${A_PUBLIC_HEADERS})
  target_include_directories(${name} PRIVATE ${DZ_INCLUDE_ROOTS}/internal/${name}
                             PUBLIC ${DZ_INCLUDE_ROOTS}/public/${name})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  # The internal roots of this library and of every project library below it, for its tests.
  set(roots ${DZ_INCLUDE_ROOTS}/internal/${name})
  foreach(d ${A_DEPS})
    if(TARGET ${d})
      get_target_property(below ${d} DZ_INTERNAL_ROOTS)
      if(below)
        list(APPEND roots ${below})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES roots)
  set_target_properties(${name} PROPERTIES DZ_INTERNAL_ROOTS "${roots}")
  dz_warnings(${name})
  dz_sanitize(${name})
endfunction()

function(dz_internals target)
  foreach(lib ${ARGN})
    if(TARGET ${lib})
      get_target_property(roots ${lib} DZ_INTERNAL_ROOTS)
      if(roots)
        target_include_directories(${target} PRIVATE ${roots})
      endif()
    endif()
  endforeach()
endfunction()

function(dz_own_headers target)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARGN)
    set(dir ${ARGN})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
  dz_make_include_root(${DZ_INCLUDE_ROOTS}/own/${target} ${folder})
  target_include_directories(${target} PRIVATE ${DZ_INCLUDE_ROOTS}/own/${target})
endfunction()

function(dz_test name)
  cmake_parse_arguments(A "GUI" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SOURCES OR DZ_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} dz_testing GTest::gtest GTest::gtest_main)
  # Tests see every header of the libraries they test and of those below them.
  dz_internals(${name} ${A_DEPS})
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
  dz_warnings(${name})
  dz_sanitize(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  if(A_GUI)
    # GUI tests share one display, the focus and the mouse: never run two at once.
    set_tests_properties(${name} PROPERTIES LABELS gui RESOURCE_LOCK display)
  endif()
endfunction()

# Every directory's test executable: all *_test.cpp of the directory in one program.
function(dz_directory_tests name)
  cmake_parse_arguments(A "GUI" "TIMEOUT" "DEPS" ${ARGN})
  dz_collect_tests(tests ${CMAKE_CURRENT_SOURCE_DIR})
  set(extra)
  if(A_GUI)
    set(extra GUI)
  endif()
  if(A_TIMEOUT)
    list(APPEND extra TIMEOUT ${A_TIMEOUT})
  endif()
  dz_test(${name} SOURCES ${tests} DEPS ${A_DEPS} ${extra})
endfunction()

function(dz_fuzz_target name)
  cmake_parse_arguments(A "" "SOURCE;CORPUS" "DEPS" ${ARGN})
  if(NOT DZ_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCE})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  dz_internals(${name} ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  dz_warnings(${name})
  # -runs=0: execute every file of the corpus once, then stop.
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${A_CORPUS})
  set_tests_properties(${name}_corpus PROPERTIES TIMEOUT 300)
endfunction()
