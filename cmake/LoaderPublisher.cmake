# A publisher's settings for loader.exe: the cache variables, their checks and the generated
# source that carries the names into the program.
#
#   loader_publisher_settings()   declares the cache variables (defaults: today's product) and
#                                 checks them; a bad value stops configuring with its name
#   loader_check_publisher(<client exe> <uninstall key> <query version> <channel>)
#                                 the checks of the names the program uses, for any set
#   loader_publisher_source(<out.cpp> <client exe> <uninstall key> <query version> <channel>)
#                                 writes the source that defines them
#
# Run as a script (cmake -D<VAR>=<value> ... -P LoaderPublisher.cmake) it checks the values
# given, with the defaults for the rest, and configures nothing: the tests use that.

get_filename_component(LOADER_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(LOADER_PUBLISHER_TEMPLATE "${LOADER_SOURCE_ROOT}/loader/publisher_settings.cpp.in")

# A file or registry key name: not empty, no path separator, nothing Windows refuses in a
# name, and nothing that would end the C string it is written into.
function(_loader_check_name variable value what)
  if(value STREQUAL "" OR value MATCHES "[/\\\\:*?\"<>|]" OR value MATCHES "[\t\r\n]" OR
     value STREQUAL "." OR value STREQUAL "..")
    message(FATAL_ERROR "${variable} must be ${what} without path separators, not '${value}'")
  endif()
  string(LENGTH "${value}" length)
  if(length GREATER 200)
    message(FATAL_ERROR "${variable} is longer than 200 characters")
  endif()
endfunction()

# Text shown in the version resource: anything but quotes, backslashes and control
# characters, which the resource script would read as its own syntax.
function(_loader_check_text variable value)
  if(value STREQUAL "" OR value MATCHES "[\"\\\\]" OR value MATCHES "[\t\r\n]")
    message(FATAL_ERROR "${variable} must be a non-empty text without quotes or backslashes, "
                        "not '${value}'")
  endif()
endfunction()

function(loader_check_publisher client key version channel)
  _loader_check_name(LOADER_CLIENT_EXE "${client}" "the client's file name")
  _loader_check_name(LOADER_UNINSTALL_KEY "${key}" "an Uninstall key name")
  # Four numbers, each fitting the 16 bits a version resource has for it.
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "LOADER_QUERY_VERSION must be four numbers like 1.0.0.1, not '${version}'")
  endif()
  foreach(part ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    string(LENGTH "${part}" digits)
    if(digits GREATER 5 OR part GREATER 65535)
      message(FATAL_ERROR "LOADER_QUERY_VERSION parts must be 0 to 65535, not '${version}'")
    endif()
  endforeach()
  if(NOT channel MATCHES "^[0-9]+$")
    message(FATAL_ERROR "LOADER_CHANNEL must be digits like 1002, not '${channel}'")
  endif()
endfunction()

# The skin folder: the document, and either the pictures and the icon or the script that
# draws them. Sets LOADER_SKIN_PICTURES (resource id;file pairs, sorted), LOADER_SKIN_ICON
# and LOADER_SKIN_DRAWN (true when make_artwork.py draws them at build time) in the caller.
function(loader_check_skin_dir dir)
  if(NOT IS_DIRECTORY "${dir}" OR NOT EXISTS "${dir}/skin.xml")
    message(FATAL_ERROR "LOADER_SKIN_DIR must be a folder holding skin.xml, not '${dir}'")
  endif()
  if(EXISTS "${dir}/make_artwork.py")
    set(LOADER_SKIN_DRAWN TRUE PARENT_SCOPE)
    return()
  endif()
  # Every picture the document names by resource number comes from <anything>_<number>.png.
  file(READ "${dir}/skin.xml" document)
  string(REGEX MATCHALL "res='[0-9]+'" named "${document}")
  list(REMOVE_DUPLICATES named)
  set(pictures "")
  foreach(item ${named})
    string(REGEX REPLACE "[^0-9]" "" id "${item}")
    file(GLOB found "${dir}/*_${id}.png" "${dir}/${id}.png")
    list(LENGTH found count)
    if(NOT count EQUAL 1)
      message(FATAL_ERROR "LOADER_SKIN_DIR '${dir}' needs exactly one picture <name>_${id}.png "
                          "for res='${id}' of skin.xml")
    endif()
    list(APPEND pictures "${id}" "${found}")
  endforeach()
  if(NOT EXISTS "${dir}/loader.ico")
    message(FATAL_ERROR "LOADER_SKIN_DIR '${dir}' has no loader.ico")
  endif()
  set(LOADER_SKIN_DRAWN FALSE PARENT_SCOPE)
  set(LOADER_SKIN_PICTURES "${pictures}" PARENT_SCOPE)
  set(LOADER_SKIN_ICON "${dir}/loader.ico" PARENT_SCOPE)
endfunction()

macro(loader_publisher_settings)
  set(LOADER_CLIENT_EXE "Kestrun.exe" CACHE STRING "The client executable's file name")
  set(LOADER_UNINSTALL_KEY "Tesmar" CACHE STRING
      "The client's key under HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
  set(LOADER_QUERY_VERSION "1.0.0.1" CACHE STRING
      "Version sent to the version service; also loader.exe's file and product version")
  set(LOADER_CHANNEL "1002" CACHE STRING "Channel sent to the version service (digits)")
  set(LOADER_SKIN_DIR "${LOADER_SOURCE_ROOT}/resources" CACHE PATH
      "Folder with skin.xml, its pictures <name>_<id>.png and loader.ico (or make_artwork.py)")
  set(LOADER_COMPANY_NAME "Game Publisher" CACHE STRING "Company name in loader.exe's version resource")
  set(LOADER_PRODUCT_NAME "Game Loader" CACHE STRING "Product name in loader.exe's version resource")

  loader_check_publisher("${LOADER_CLIENT_EXE}" "${LOADER_UNINSTALL_KEY}"
                         "${LOADER_QUERY_VERSION}" "${LOADER_CHANNEL}")
  loader_check_skin_dir("${LOADER_SKIN_DIR}")
  _loader_check_text(LOADER_COMPANY_NAME "${LOADER_COMPANY_NAME}")
  _loader_check_text(LOADER_PRODUCT_NAME "${LOADER_PRODUCT_NAME}")
endmacro()

function(loader_publisher_source out client key version channel)
  loader_check_publisher("${client}" "${key}" "${version}" "${channel}")
  set(LOADER_CLIENT_EXE "${client}")
  set(LOADER_UNINSTALL_KEY "${key}")
  set(LOADER_QUERY_VERSION "${version}")
  set(LOADER_CHANNEL "${channel}")
  configure_file("${LOADER_PUBLISHER_TEMPLATE}" "${out}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  loader_publisher_settings()
endif()
