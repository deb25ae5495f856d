# Native generators for the Windows tree. The Windows build needs files drawn at build time by
# programs that run on the build machine (the button pictures and the icon, the default skin
# archive). This configures the same source tree natively under <win build>/host and builds only
# the generator targets listed in DZ_HOST_TOOL_TARGETS, so the Windows tree is self-contained.
#
#   dz_host_tools             the ExternalProject target; depend on it before running a tool
#   dz_host_tool(var name)    sets var to the path of the native tool `name`
#   DZ_HOST_DEFAULT_SKIN      the default skin archive the host tree packs (tools/CMakeLists.txt)
include_guard(GLOBAL)
include(ExternalProject)

set(DZ_HOST_TOOL_TARGETS dzglyphs default_skin)
set(DZ_HOST_DIR ${CMAKE_BINARY_DIR}/host)
set(DZ_HOST_DEFAULT_SKIN ${DZ_HOST_DIR}/skins/doziviz.skin)

set(host_build_args)
foreach(t ${DZ_HOST_TOOL_TARGETS})
  list(APPEND host_build_args --target ${t})
endforeach()

ExternalProject_Add(
  dz_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${DZ_HOST_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> ${host_build_args}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${DZ_HOST_DIR}/app/dzglyphs ${DZ_HOST_DEFAULT_SKIN}
  USES_TERMINAL_BUILD ON)

function(dz_host_tool var name)
  set(${var} ${DZ_HOST_DIR}/app/${name} PARENT_SCOPE)
endfunction()
