# What `cmake --install` puts into a prefix for a host's find_package(Vistrel): the shared
# library, its public headers under include/vistrel/, the bundle beside the library (where
# the library looks for it), and the package configuration with the exported target
# Vistrel::vistrel.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VISTREL_PACKAGE_DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/Vistrel")

install(TARGETS vistrel EXPORT VistrelTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/vistrel")

# The platform headers a host uses itself to show the kit's screens: the run loop of the
# main queue, a window, the navigation controller the factories give, and rendering.
set(host_headers
  platform/dispatch/run_loop.hpp
  platform/ui/navigation_controller.hpp
  platform/ui/render.hpp
  platform/ui/window.hpp)
install(CODE "
  set(VISTREL_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(VISTREL_HOST_HEADERS \"${host_headers}\")
  set(VISTREL_INCLUDE_DESTINATION \"${CMAKE_INSTALL_INCLUDEDIR}/vistrel\")")
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
