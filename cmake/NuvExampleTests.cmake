# Tests of the installed tree as applications see it: the build is
# installed into a prefix once (fixture "installed"), then the examples,
# a plain Makefile through pkg-config and version requests are built
# against that prefix.
if(NOT NUV_BUILD_TESTS)
  return()
endif()

set(installed ${PROJECT_BINARY_DIR}/installed)
set(installed_env
  "QT_QPA_PLATFORM=offscreen"
  "LSAN_OPTIONS=suppressions=${NUV_LSAN_SUPPRESSIONS}:print_suppressions=0")
set(installed_flags "")
if(NUV_SANITIZE)
  set(installed_flags "-fsanitize=address,undefined")
endif()

add_test(NAME installed_tree
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR= ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR}
          --prefix ${installed}/prefix)
set_tests_properties(installed_tree PROPERTIES FIXTURES_SETUP installed TIMEOUT 120)

# The examples as one project, the way examples/CMakeLists.txt describes.
add_test(NAME examples_build
  COMMAND ${CMAKE_COMMAND} -E chdir ${installed} sh -c
          "${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/examples -B examples -G Ninja \
-DCMAKE_PREFIX_PATH=${installed}/prefix '-DCMAKE_CXX_FLAGS=${installed_flags}' >/dev/null \
&& ${CMAKE_COMMAND} --build examples -j 2")
set_tests_properties(examples_build PROPERTIES FIXTURES_REQUIRED installed
  FIXTURES_SETUP examples TIMEOUT 600)

# nuv_example_test(<program> <regex> [ARGS ...]): runs a built example and
# checks what it prints.
function(nuv_example_test program regex)
  add_test(NAME example_${program}
    COMMAND ${installed}/examples/${program}/${program} ${ARGN})
  set_tests_properties(example_${program} PROPERTIES FIXTURES_REQUIRED examples
    PASS_REGULAR_EXPRESSION "${regex}" FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error"
    ENVIRONMENT "${installed_env}" TIMEOUT 120)
endfunction()

# A plain Makefile finds the installed nuv-numlib through pkg-config.
add_test(NAME installed_pkg_config
  COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${installed}/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig
          "CXXFLAGS=${installed_flags}" "LDFLAGS=${installed_flags} -Wl,-rpath,${installed}/prefix/${CMAKE_INSTALL_LIBDIR}"
          sh -c "rm -rf pkg-config && cp -r ${PROJECT_SOURCE_DIR}/examples/pkg-config . && make -s -C pkg-config && pkg-config/statistics"
  WORKING_DIRECTORY ${installed})
set_tests_properties(installed_pkg_config PROPERTIES FIXTURES_REQUIRED installed
  PASS_REGULAR_EXPRESSION "^nuv ${PROJECT_VERSION}: mean 2\\.80, variance 1\\.325\n$"
  ENVIRONMENT "${installed_env}" TIMEOUT 300)

# find_package accepts the same major version and refuses the next one.
math(EXPR next_major "${PROJECT_VERSION_MAJOR} + 1")
add_test(NAME installed_version_same_major
  COMMAND ${CMAKE_COMMAND} -E chdir ${installed} sh -c
          "${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/cmake/tests/version -B version -G Ninja \
-DREQUEST=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR} -DCMAKE_PREFIX_PATH=${installed}/prefix \
'-DCMAKE_CXX_FLAGS=${installed_flags}' && ${CMAKE_COMMAND} --build version && version/version_check")
set_tests_properties(installed_version_same_major PROPERTIES FIXTURES_REQUIRED installed
  ENVIRONMENT "${installed_env}" TIMEOUT 300)
add_test(NAME installed_version_next_major
  COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/cmake/tests/version -B version-next -G Ninja
          -DREQUEST=${next_major} -DCMAKE_PREFIX_PATH=${installed}/prefix
  WORKING_DIRECTORY ${installed})
set_tests_properties(installed_version_next_major PROPERTIES FIXTURES_REQUIRED installed
  PASS_REGULAR_EXPRESSION "compatible[ \n]+with requested version \"${next_major}\"" TIMEOUT 120)

# Each example's output against independent results (numpy for the fit and
# the linear system, GeographicLib's GeoConvert for UTM).
nuv_example_test(numlib-datatable
  "concentration mg/l: mean 3\\.5000, std\\.dev\\. 3\\.0822\nabsorbance: mean 0\\.4195, std\\.dev\\. 0\\.3679\nabsorbance = 0\\.11936 \\* concentration \\+ 0\\.00175 \\(R\\^2 = 0\\.99997\\)\nsample of absorbance 0\\.350: 2\\.918 mg/l")
nuv_example_test(numlib-matrix "det A = 36\\.000\nx = 1\\.0000 -2\\.0000 3\\.0000")
nuv_example_test(maplib-utm
  "Vienna: 33U 602065\\.2 5340353\\.6  back: 48\\.208200 16\\.373800\nBergen: 32V 297353\\.9 6700648\\.3  back: 60\\.391300 5\\.322100\nCape Town: 34H 261881\\.6 6243182\\.4  back: -33\\.924900 18\\.424100")
nuv_example_test(mollib-formula
  "caffeine C8 H10 N4 O2 : nominal 194, exact 194\\.08038, chemical 194\\.195\ncompositions within 0\\.002 u of 194\\.0804:\n  C10 H12 N O3   194\\.08172\n  C8 H10 N4 O2   194\\.08038\n")
nuv_example_test(qt-window "screenshot written to .*qt-window\\.png \\(520 x 170 pixels\\)"
  --screenshot ${installed}/qt-window.png)

# The Debian packages of make package, unpacked and used by the consumer.
set(NUV_PACKAGE_DIR ${PROJECT_SOURCE_DIR}/build/pkg/packages CACHE PATH
  "Where the package test finds the Debian packages")
add_test(NAME debian_packages
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/tests/check-packages.sh ${NUV_PACKAGE_DIR} ${PROJECT_SOURCE_DIR})
set_tests_properties(debian_packages PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
