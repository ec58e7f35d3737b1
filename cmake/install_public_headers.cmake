# Run by `cmake --install`: copies the headers a host compiles against into one include
# folder. They are every header of the kit (src/) and the given platform headers, with
# every header of ours those include, found by following quoted includes. Worked out at
# install time, so the set follows the sources without a new configure. A header that
# includes anything but the standard library (a third-party header, or a macro include)
# stops the install: a host must never need those.
#
# Set before this script: VISTREL_SOURCE_DIR, VISTREL_HOST_HEADERS (platform headers a
# host uses directly) and VISTREL_INCLUDE_DESTINATION (relative to the prefix).

cmake_policy(PUSH)
cmake_policy(VERSION 3.25)  # install scripts start with old policies (no IN_LIST)

# System headers a public header may include besides the C++ standard library's.
set(allowed_system_headers sys/types.h)

file(GLOB_RECURSE kit_headers RELATIVE "${VISTREL_SOURCE_DIR}/src" "${VISTREL_SOURCE_DIR}/src/*.hpp")
set(pending ${kit_headers} ${VISTREL_HOST_HEADERS})
set(public)
while(pending)
  list(POP_FRONT pending header)
  if(header IN_LIST public)
    continue()
  endif()
  # The include path of the build: src/ first, then the source root (for platform/).
  if(EXISTS "${VISTREL_SOURCE_DIR}/src/${header}")
    set(file "${VISTREL_SOURCE_DIR}/src/${header}")
  elseif(EXISTS "${VISTREL_SOURCE_DIR}/${header}")
    set(file "${VISTREL_SOURCE_DIR}/${header}")
  else()
    message(FATAL_ERROR "Public header ${header} is not in the source tree")
  endif()
  list(APPEND public "${header}")

  file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      list(APPEND pending "${CMAKE_MATCH_1}")
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(included "${CMAKE_MATCH_1}")
      if(NOT included MATCHES "^[a-z_]+$" AND NOT included IN_LIST allowed_system_headers)
        message(FATAL_ERROR "Public header ${header} includes <${included}>, which a host would need; "
                            "keep third-party headers inside the platform's .cpp files")
      endif()
    else()
      message(FATAL_ERROR "Public header ${header} has an include a host cannot follow: ${line}")
    endif()
  endforeach()
endwhile()

list(SORT public)
foreach(header IN LISTS public)
  if(EXISTS "${VISTREL_SOURCE_DIR}/src/${header}")
    set(file "${VISTREL_SOURCE_DIR}/src/${header}")
  else()
    set(file "${VISTREL_SOURCE_DIR}/${header}")
  endif()
  get_filename_component(folder "${header}" DIRECTORY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VISTREL_INCLUDE_DESTINATION}/${folder}"
       TYPE FILE FILES "${file}")
endforeach()

cmake_policy(POP)
