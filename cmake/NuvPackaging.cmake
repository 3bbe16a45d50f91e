# What an installed nuv consists of beyond the libraries and headers: the
# version header, the CMake package, one pkg-config file per library and
# the Debian packages built from all of it (cpack -G DEB).
#
# Install components: "runtime" (the shared objects), "development"
# (headers, CMake package, pkg-config files) and "tools" (the nuv tool).

# nuv/version.h, generated from the project version so that it cannot
# drift; it sits beside the platform headers so that every library sees it.
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in
  ${PROJECT_BINARY_DIR}/include/nuv/version.h @ONLY)
target_include_directories(nuvplatform PUBLIC
  $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)
install(FILES ${PROJECT_BINARY_DIR}/include/nuv/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/nuv COMPONENT development)

set(nuv_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/nuv)
install(EXPORT nuvTargets NAMESPACE nuv:: DESTINATION ${nuv_cmake_dir}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/nuvConfig.cmake.in
  ${PROJECT_BINARY_DIR}/nuvConfig.cmake INSTALL_DESTINATION ${nuv_cmake_dir})
# A later minor release keeps the API and ABI of an earlier one; the major
# number is the SONAME's (docs/VERSIONING.md).
write_basic_package_version_file(${PROJECT_BINARY_DIR}/nuvConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/nuvConfig.cmake ${PROJECT_BINARY_DIR}/nuvConfigVersion.cmake
  DESTINATION ${nuv_cmake_dir} COMPONENT development)

# pkg-config files, relocatable (the prefix is found from the file's own
# place), so that a tree unpacked anywhere works as well as /usr.
set(nuv_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH pc_to_prefix /${nuv_pc_dir} /)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
function(nuv_pkg_config pc_name pc_library pc_description pc_requires)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/nuv.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/nuv-${pc_name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/nuv-${pc_name}.pc
    DESTINATION ${nuv_pc_dir} COMPONENT development)
endfunction()
set(nuv_exact "= ${PROJECT_VERSION}")
nuv_pkg_config(platform nuvplatform "nuv runtime and graphics layer"
  "Qt6Core >= ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR}, Qt6Gui, Qt6Widgets, Qt6PrintSupport")
nuv_pkg_config(corelib corelib "nuv foundation library" "nuv-platform ${nuv_exact}")
nuv_pkg_config(numlib numlib "nuv mathematics and data analysis" "nuv-corelib ${nuv_exact}")
nuv_pkg_config(maplib maplib "nuv geography and map controls"
  "nuv-corelib ${nuv_exact}, nuv-numlib ${nuv_exact}")
nuv_pkg_config(mollib mollib "nuv chemistry and structure drawing"
  "nuv-corelib ${nuv_exact}, nuv-numlib ${nuv_exact}")

# Debian packages: libnuv<major> (runtime), libnuv-dev and nuv-tools. Each
# description follows the project's one-line summary.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuv)
set(CPACK_PACKAGE_VENDOR "nuv developers")
set(CPACK_PACKAGE_CONTACT "nuv developers <nuv@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The tool links the libraries of the runtime package, which is not
# installed while it is built.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})

set(nuv_runtime_package libnuv${PROJECT_VERSION_MAJOR})
set(nuv_deb_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${nuv_runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-dejavu-core")
# The linker cache is refreshed by the trigger dpkg runs once per
# transaction.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "nuv is a component library for scientific and engineering desktop
software. This package holds its shared libraries: corelib (foundation),
numlib (mathematics and data analysis), maplib (geography and map
controls), mollib (chemistry and structure drawing) and the platform layer
nuvplatform they share.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libnuv-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "${nuv_runtime_package} (= ${nuv_deb_version}), qt6-base-dev (>= ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "nuv is a component library for scientific and engineering desktop
software. This package holds what building against it needs: the headers,
the CMake package (find_package(nuv)) and the pkg-config files nuv-corelib,
nuv-numlib, nuv-maplib, nuv-mollib and nuv-platform.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME nuv-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION science)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${nuv_runtime_package} (= ${nuv_deb_version})")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
  "nuv is a component library for scientific and engineering desktop
software. This package holds the nuv tool, which puts the main jobs of
each library on the command line: checksums, statistics and fits of data
tables, coordinate conversions and formula masses.")
# Every package carries its copyright file and a Debian changelog in
# /usr/share/doc/<package>, as Debian policy asks.
string(TIMESTAMP nuv_deb_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.Debian.in
  ${PROJECT_BINARY_DIR}/debian/changelog.Debian @ONLY)
file(ARCHIVE_CREATE OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  PATHS ${PROJECT_BINARY_DIR}/debian/changelog.Debian FORMAT raw COMPRESSION GZip
  COMPRESSION_LEVEL 9)
foreach(component IN ITEMS RUNTIME DEVELOPMENT TOOLS)
  string(TOLOWER ${component} install_component)
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${component}_PACKAGE_NAME}
    COMPONENT ${install_component})
endforeach()
include(CPack)
