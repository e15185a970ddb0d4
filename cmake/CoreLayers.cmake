# The portable core is built as one library per folder. Each library's
# include path is a folder of its own under the build tree that links only
# the source folders it may use, plus a folder of stand-ins that stop
# windows.h and the other Win32 headers. So a core file that includes a
# header of app/ or platform/, of a folder above it in the layering, or a
# Win32 header fails to compile: the layering is checked by every build.
#
#   gsd_core_layer(NAME name [USES folder...] SOURCES file...)
#
# USES lists every core folder the layer may include, the indirect ones too;
# ports/ and res/resource.h (control identifiers) are always there. The
# library links the libraries of the folders it uses.

set(GSD_LAYER_ROOT ${CMAKE_BINARY_DIR}/core-layers)
set(GSD_FORBIDDEN_IN_CORE ${CMAKE_SOURCE_DIR}/cmake/forbidden-in-core)

function(gsd_link_into_layer root relative)
  set(link ${root}/${relative})
  if(NOT EXISTS ${link})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${relative} ${link} SYMBOLIC)
  endif()
endfunction()

# The include folder of layer `name`: its own folder, the folders it uses,
# the ports and the control identifiers.
function(gsd_layer_include_root name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES")
  set(root ${GSD_LAYER_ROOT}/${name})
  foreach(folder IN ITEMS ${name} ports ${arg_USES})
    gsd_link_into_layer(${root} ${folder})
  endforeach()
  gsd_link_into_layer(${root} res/resource.h)
endfunction()

function(gsd_use_layer_includes target name)
  # Before the system's folders, so the stand-ins for the Win32 headers win.
  target_include_directories(${target} BEFORE PRIVATE ${GSD_LAYER_ROOT}/${name} ${GSD_FORBIDDEN_IN_CORE})
endfunction()

function(gsd_core_layer)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME" "USES;SOURCES")
  gsd_layer_include_root(${arg_NAME} USES ${arg_USES})
  set(target gsd_${arg_NAME})
  add_library(${target} STATIC ${arg_SOURCES})
  gsd_use_layer_includes(${target} ${arg_NAME})
  # Users outside the core (adapters, the program, tests) name headers from
  # the source root.
  target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
  foreach(folder IN LISTS arg_USES)
    target_link_libraries(${target} PUBLIC gsd_${folder})
  endforeach()
  target_link_libraries(gsd_core INTERFACE ${target})
  if(GSD_FUZZ)
    # Coverage for the fuzz targets that call into the layer; whatever links
    # the layer then needs the sanitizers' runtimes too.
    target_compile_options(${target} PRIVATE ${GSD_FUZZ_COVERAGE_FLAGS})
    target_link_options(${target} INTERFACE ${GSD_SANITIZER_LINK_FLAGS})
  endif()
endfunction()

# The header-only ports, for layers without sources of their own yet.
add_library(gsd_core INTERFACE)
target_include_directories(gsd_core INTERFACE ${CMAKE_SOURCE_DIR})
