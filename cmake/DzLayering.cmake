# Tests that the include roots enforce the layering: each probe compiles one #include with the
# include roots of one library, and a test builds it. A header above the library, beside it or
# private to another library must not compile; headers the library may use must (so a failure is
# the include's, not the probe's). Native tree only: the roots are the same in every tree.
#
#   dz_layering_probe(name LIB lib HEADER header EXPECT compiles|fails)

function(dz_layering_probe name)
  cmake_parse_arguments(A "" "LIB;HEADER;EXPECT" "" ${ARGN})
  set(target layering_probe_${name})
  add_library(${target} OBJECT EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/cmake/layering_probe.cpp)
  # As a source file of the library: its own internal root, and what it links.
  get_target_property(roots ${A_LIB} DZ_INTERNAL_ROOTS)
  list(GET roots 0 own)
  target_include_directories(${target} PRIVATE ${own})
  target_link_libraries(${target} PRIVATE ${A_LIB})
  target_compile_definitions(${target} PRIVATE "DZ_PROBE_HEADER=\"${A_HEADER}\"")
  add_test(NAME layering_${name}
           COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${target})
  # Builds in the same tree must not run at once.
  set_tests_properties(layering_${name} PROPERTIES RESOURCE_LOCK build_tree LABELS layering)
  if(A_EXPECT STREQUAL "fails")
    # Fails, and for the one reason: the compiler does not find the header.
    set_tests_properties(layering_${name} PROPERTIES PASS_REGULAR_EXPRESSION
                                                     "${A_HEADER}: No such file or directory")
  endif()
endfunction()

if(WIN32 OR DZ_FUZZ OR DZ_SANITIZE)
  return()
endif()
# Reachable: the library's own private header, a public header below it.
dz_layering_probe(own_private LIB dz_tableengine HEADER tableengine/dssort.h EXPECT compiles)
dz_layering_probe(public_below LIB dz_dataset HEADER tableengine/dsbase.h EXPECT compiles)
# Not reachable: upwards, sideways, another library's private header.
dz_layering_probe(upward LIB dz_tableengine HEADER dataset/db.h EXPECT fails)
dz_layering_probe(upward_two LIB dz_platform HEADER datapacket/dspacket.h EXPECT fails)
dz_layering_probe(sideways LIB dz_datapacket HEADER skin/bmp.h EXPECT fails)
dz_layering_probe(private_below LIB dz_dataset HEADER tableengine/dssort.h EXPECT fails)
dz_layering_probe(program LIB dz_dataset HEADER app/lyrics/lyricstable.h EXPECT fails)
