# The settings that decide whom a build's program trusts, checked before
# anything is built. Included by the top-level CMakeLists.txt; runs by itself
# too (cmake -DVAR=value... -P cmake/BuildSettings.cmake), so that each
# refusal can be checked without configuring a tree.
#
# GSD_RELEASE (the release presets): a build that players get. It refuses the
# demo publisher, whose private key lies in the build tree, and it takes no
# default for the server's address or the publisher's keys: the builder
# names both.
#
# Every build of the program pins at least one publisher key, unless the
# builder names the other choice: DOWNLOAD_PUBLISHER_KEYS=ANY-TRUSTED-SIGNER
# starts any installer whose signature chains to a root the player's machine
# trusts, whoever signed it.

set(GSD_ANY_TRUSTED_SIGNER "ANY-TRUSTED-SIGNER")

# gsd_check_release_settings(): the refusals of a build for players.
function(gsd_check_release_settings)
  if(NOT GSD_RELEASE)
    return()
  endif()
  if(GSD_DEMO_PUBLISHER)
    message(FATAL_ERROR "A release build cannot have GSD_DEMO_PUBLISHER=ON: the demo publisher's private key "
                        "lies in the build tree, so anybody could sign installers that the program would start.")
  endif()
  if(DOWNLOAD_SERVER_URL STREQUAL "")
    message(FATAL_ERROR "A release build needs the download server's address: "
                        "-DDOWNLOAD_SERVER_URL=https://<host>/<script>")
  endif()
  if(DOWNLOAD_PUBLISHER_KEYS STREQUAL "")
    message(FATAL_ERROR "A release build needs the publisher's keys: -DDOWNLOAD_PUBLISHER_KEYS=\"<hex>;<hex>\" "
                        "(see the README's Signing), or -DDOWNLOAD_PUBLISHER_KEYS=${GSD_ANY_TRUSTED_SIGNER} "
                        "to start installers of any signer that the player's machine trusts.")
  endif()
endfunction()

# gsd_check_server_url(): every request carries the account field and the
# installation's report, and the replies may be installers: none of it may
# travel in clear.
function(gsd_check_server_url)
  if(NOT DOWNLOAD_SERVER_URL MATCHES "^https://[^/]")
    message(FATAL_ERROR "DOWNLOAD_SERVER_URL must be an https:// address, not '${DOWNLOAD_SERVER_URL}'")
  endif()
endfunction()

# gsd_read_publisher_keys(<keys-var> <any-signer-var>): the keys of
# DOWNLOAD_PUBLISHER_KEYS, lower case, each 64 hex digits; <any-signer-var>
# is TRUE when the list is the one word ANY-TRUSTED-SIGNER.
function(gsd_read_publisher_keys keys_var any_var)
  set(keys "")
  set(any_signer FALSE)
  if(DOWNLOAD_PUBLISHER_KEYS STREQUAL GSD_ANY_TRUSTED_SIGNER)
    set(any_signer TRUE)
  else()
    foreach(key IN LISTS DOWNLOAD_PUBLISHER_KEYS)
      string(STRIP "${key}" key)
      if(key STREQUAL GSD_ANY_TRUSTED_SIGNER)
        message(FATAL_ERROR "DOWNLOAD_PUBLISHER_KEYS: ${GSD_ANY_TRUSTED_SIGNER} stands alone, "
                            "not beside keys that it would make pointless")
      endif()
      if(NOT key MATCHES "^[0-9A-Fa-f]+$")
        message(FATAL_ERROR "DOWNLOAD_PUBLISHER_KEYS: \"${key}\" is not a hex SHA-256 (64 hex digits)")
      endif()
      string(LENGTH "${key}" key_length)
      if(NOT key_length EQUAL 64)
        message(FATAL_ERROR "DOWNLOAD_PUBLISHER_KEYS: \"${key}\" has ${key_length} hex digits, not 64")
      endif()
      string(TOLOWER "${key}" key)
      list(APPEND keys ${key})
    endforeach()
  endif()
  set(${keys_var} "${keys}" PARENT_SCOPE)
  set(${any_var} ${any_signer} PARENT_SCOPE)
endfunction()

# gsd_check_pinned_keys(<pinned-keys> <any-signer>): a program that pins
# nobody starts whatever a trusted root vouches for; only by the builder's
# explicit choice.
function(gsd_check_pinned_keys pinned any_signer)
  if(pinned STREQUAL "" AND NOT any_signer)
    message(FATAL_ERROR "No publisher is pinned (DOWNLOAD_PUBLISHER_KEYS is empty). Set DOWNLOAD_PUBLISHER_KEYS "
                        "to the keys of the publisher's code-signing certificates (see the README's Signing), or, "
                        "to start any installer whose signature chains to a root the player's machine trusts, "
                        "whoever signed it: -DDOWNLOAD_PUBLISHER_KEYS=${GSD_ANY_TRUSTED_SIGNER}")
  endif()
endfunction()

# By itself: the checks in the order a configure makes them, with
# GSD_DEMO_PUBLISHER standing for the demo key that a configure would pin.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  gsd_check_release_settings()
  gsd_check_server_url()
  gsd_read_publisher_keys(pinned any_signer)
  if(GSD_DEMO_PUBLISHER)
    list(APPEND pinned demo)
  endif()
  gsd_check_pinned_keys("${pinned}" ${any_signer})
  message(STATUS "build settings accepted")
endif()
