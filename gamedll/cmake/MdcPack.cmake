# gsd_pack_media(<target> OUTPUT_DIR <dir> MANIFESTS <manifest>... [DEPENDS <file>...])
#
# Packs each manifest into <dir>/<manifest name without its last extension>.mdc
# at build time (Sample.manifest -> Sample.mdc) and adds the custom target
# <target>, built by default, that stands for all of them. Other targets that
# need the packs say add_dependencies(<their target> <target>). The list of
# packs is left in the variable <target>_OUTPUTS of the caller's scope.
#
# Payload files named by "file" lines are tracked through a dependency file
# written by the tool; DEPENDS adds further files to re-pack on.
#
# Packing runs a mdctool that works on the build machine: the tool target
# itself in a native build, and in a cross build a host copy compiled from
# the same portable sources, since the Windows mdctool.exe cannot run there
# without Wine. The function can be called from any folder, also from one
# added before gamedll/: the tool is referred to by name and resolved when the
# build is generated.
function(gsd_pack_media target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_DIR" "MANIFESTS;DEPENDS")
  if(NOT arg_OUTPUT_DIR OR NOT arg_MANIFESTS)
    message(FATAL_ERROR "gsd_pack_media(${target}): OUTPUT_DIR and MANIFESTS are required")
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(tool ${CMAKE_BINARY_DIR}/host/mdctool)
    set(tool_target mdctool_host)
    set(tool_file ${tool})
  else()
    set(tool $<TARGET_FILE:mdctool>)
    set(tool_target mdctool)
    set(tool_file)
  endif()

  set(outputs)
  foreach(manifest IN LISTS arg_MANIFESTS)
    get_filename_component(manifest ${manifest} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${manifest} NAME_WLE)
    set(output ${arg_OUTPUT_DIR}/${name}.mdc)
    set(depdir ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.dir)
    set(depfile ${depdir}/${name}.mdc.d)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${arg_OUTPUT_DIR} ${depdir}
      COMMAND ${tool} pack --depfile ${depfile} ${output} ${manifest}
      DEPENDS ${manifest} ${tool_target} ${tool_file} ${arg_DEPENDS}
      DEPFILE ${depfile}
      COMMENT "Packing ${name}.mdc"
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
  add_dependencies(${target} ${tool_target})
  set(${target}_OUTPUTS ${outputs} PARENT_SCOPE)
endfunction()
