# What `cmake --install` puts into a prefix for a host's find_package(Vistrel): the shared
# library, its public headers under include/vistrel/ (the host's include path is include/),
# the bundle beside the library (where the library looks for it), and the package
# configuration with the exported target Vistrel::vistrel.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VISTREL_PACKAGE_DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/Vistrel")

install(TARGETS vistrel EXPORT VistrelTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

# Only vistrel/ goes to the top of the host's include path: <vistrel/vistrel.hpp> and the
# headers it needs keep the paths they have under src/.
install(CODE "
  set(VISTREL_INCLUDE_ROOT \"${PROJECT_SOURCE_DIR}/src\")
  set(VISTREL_INCLUDE_DESTINATION \"${CMAKE_INSTALL_INCLUDEDIR}\")")
install(SCRIPT "${CMAKE_CURRENT_LIST_DIR}/install_public_headers.cmake")

install(EXPORT VistrelTargets NAMESPACE Vistrel:: DESTINATION "${VISTREL_PACKAGE_DESTINATION}")
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/VistrelConfig.cmake.in"
  "${CMAKE_CURRENT_BINARY_DIR}/VistrelConfig.cmake"
  INSTALL_DESTINATION "${VISTREL_PACKAGE_DESTINATION}")
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/VistrelConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/VistrelConfig.cmake"
  "${CMAKE_CURRENT_BINARY_DIR}/VistrelConfigVersion.cmake"
  DESTINATION "${VISTREL_PACKAGE_DESTINATION}")
