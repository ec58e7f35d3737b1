# Run by `cmake --install`: copies the headers a host compiles against into the prefix's
# include folder, each at its path under the include root (vistrel/...). They are every
# header of the kit (vistrel/ but the platform) and every header of ours those include,
# found by following quoted includes; the platform's headers come in only that way.
# Worked out at install time, so the set follows the sources without a new configure. A
# header that includes anything but the standard library (a third-party header, or a
# macro include) stops the install: a host must never need those.
#
# Set before this script: VISTREL_INCLUDE_ROOT (the folder that holds vistrel/) and
# VISTREL_INCLUDE_DESTINATION (relative to the prefix).

cmake_policy(PUSH)
cmake_policy(VERSION 3.25)  # install scripts start with old policies (no IN_LIST)

# System headers a public header may include besides the C++ standard library's.
set(allowed_system_headers sys/types.h)

file(GLOB_RECURSE pending RELATIVE "${VISTREL_INCLUDE_ROOT}" "${VISTREL_INCLUDE_ROOT}/vistrel/*.hpp")
list(FILTER pending EXCLUDE REGEX "^vistrel/platform/")
set(public)
while(pending)
  list(POP_FRONT pending header)
  if(header IN_LIST public)
    continue()
  endif()
  if(NOT header MATCHES "^vistrel/" OR NOT EXISTS "${VISTREL_INCLUDE_ROOT}/${header}")
    message(FATAL_ERROR "Public header ${header} is not under ${VISTREL_INCLUDE_ROOT}/vistrel")
  endif()
  list(APPEND public "${header}")

  file(STRINGS "${VISTREL_INCLUDE_ROOT}/${header}" includes REGEX "^[ \t]*#[ \t]*include")
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
  get_filename_component(folder "${header}" DIRECTORY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VISTREL_INCLUDE_DESTINATION}/${folder}"
       TYPE FILE FILES "${VISTREL_INCLUDE_ROOT}/${header}")
endforeach()

cmake_policy(POP)
