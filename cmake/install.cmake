# Installing ORLIM: the libraries with their soname, the public headers under
# include/orlim/, the orlim command and its man page, a CMake package
# (find_package(ORLIM 2.10)) and pkg-config files; cpack -G DEB packs the same.
include(CMakePackageConfigHelpers)

# What a container, a backend author or a batch program includes: the module's
# exports and identities, the image model, the DjVu layer's flat interface, the
# platform's interfaces and records, the rasteriser the backends share and the
# control's class. Paths are kept relative to src/, so the headers' own includes
# resolve under include/orlim/. Everything else under src/ stays private.
file(GLOB ORLIM_PLATFORM_HEADERS RELATIVE ${CMAKE_SOURCE_DIR}/src CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/*.h)
list(REMOVE_ITEM ORLIM_PLATFORM_HEADERS platform/palette_match.h platform/text_lines.h)
set(ORLIM_PUBLIC_HEADERS
  ${ORLIM_PLATFORM_HEADERS}
  platform/raster/SurfaceDeviceContext.h
  platform/raster/display_colors.h
  platform/raster/invalid_area.h
  image/Image.h
  djvu/djvuapi.h
  djvu/DjvuFileInfo.h
  control/OrlimCtrl.h
  control/autofit.h
  control/class_ids.h
  label/TextLabel.h
  label/label_tokens.h
  module/exports.h
  module/OrlimModule.h
  module/type_library.h)

foreach(header IN LISTS ORLIM_PUBLIC_HEADERS ORLIM_HEADLESS_PUBLIC_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orlim/${folder})
endforeach()

# Installed programs and libraries find their siblings wherever the prefix is.
set_target_properties(ORLIM ORLIM-headless PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(orlim PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS ORLIM ORLIM-headless EXPORT ORLIMTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS orlim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/hosts/cli/orlim.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(ORLIM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ORLIM)
install(EXPORT ORLIMTargets NAMESPACE ORLIM:: DESTINATION ${ORLIM_CMAKE_DIR})

# The Qt backend and OrlimWidget, when built: an export set of their own, so a
# user without Qt still finds ORLIM::ORLIM and ORLIM::Headless.
if(TARGET ORLIM-qt)
  set_target_properties(ORLIM-qt PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ORLIM-qt EXPORT ORLIMQtTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/src/platform/qt/include/orlim/OrlimWidget.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orlim)
  install(EXPORT ORLIMQtTargets NAMESPACE ORLIM:: DESTINATION ${ORLIM_CMAKE_DIR})
endif()
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/ORLIMConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ORLIMConfig.cmake INSTALL_DESTINATION ${ORLIM_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ORLIMConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ORLIMConfig.cmake ${CMAKE_BINARY_DIR}/ORLIMConfigVersion.cmake
  DESTINATION ${ORLIM_CMAKE_DIR})

# The .pc files find the prefix from where they lie, so an installed tree can move.
file(RELATIVE_PATH ORLIM_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" ORLIM_PC_TO_PREFIX "${ORLIM_PC_TO_PREFIX}")
foreach(pc orlim orlim-headless)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/${pc}.pc.in ${CMAKE_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# One Debian package: the libraries, the development files and the tools.
# dpkg-shlibdeps derives the run-time dependencies from the binaries.
set(CPACK_PACKAGE_NAME orlim)
set(CPACK_PACKAGE_VENDOR "ORLIM developers")
set(CPACK_PACKAGE_CONTACT "ORLIM developers <orlim@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "embeddable image viewing and editing control")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/src/platform/headless
  ${CMAKE_BINARY_DIR}/src/platform/qt)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
include(CPack)
