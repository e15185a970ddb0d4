# gsd_text_list(<out_var> <file>)
#
# Reads a text-list source, one text per line as "N = text" with N counting
# from 0 without gaps (blank lines and lines starting with "#" are skipped),
# and sets <out_var> to the texts joined with "|", the form the program
# reads them in. The texts are kept in the manifest's escape syntax. A gap,
# a line of another form or a "|" inside a text stops the configuration:
# each would shift the texts the program finds at later indices.
function(gsd_text_list out_var file)
  file(READ ${file} content)
  string(REPLACE "\r" "" content "${content}")
  # Characters that a CMake list would take apart become manifest escapes.
  string(REPLACE ";" "\\x3B" content "${content}")
  string(REPLACE "[" "\\x5B" content "${content}")
  string(REPLACE "]" "\\x5D" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")

  set(joined "")
  set(expected 0)
  set(line_number 0)
  foreach(line IN LISTS lines)
    math(EXPR line_number "${line_number} + 1")
    if(line MATCHES "^[ \t]*$" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+) =( (.*))?$")
      message(FATAL_ERROR "${file}:${line_number}: expected \"N = text\"")
    endif()
    set(index ${CMAKE_MATCH_1})
    set(text "${CMAKE_MATCH_3}")
    if(NOT index EQUAL expected)
      message(FATAL_ERROR "${file}:${line_number}: text ${index} where text ${expected} belongs")
    endif()
    if(text MATCHES "\\|")
      message(FATAL_ERROR "${file}:${line_number}: a \"|\" would shift every later text")
    endif()
    if(expected EQUAL 0)
      set(joined "${text}")
    else()
      string(APPEND joined "|${text}")
    endif()
    math(EXPR expected "${expected} + 1")
  endforeach()
  set(${out_var} "${joined}" PARENT_SCOPE)
endfunction()
