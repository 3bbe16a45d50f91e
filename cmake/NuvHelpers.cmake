# nuv_add_library(<target> UNITS <unit>... [SOURCES <file>...] LINK <target>...)
#
# Builds one of the shared libraries from its units: every unit contributes
# include/nuv/<unit>.h and src/<unit>.cpp; extra sources (the package frame,
# split parts of large units) come through SOURCES.
function(nuv_add_library target)
  cmake_parse_arguments(ARG "" "" "UNITS;SOURCES;LINK;PRIVATE_LINK" ${ARGN})
  set(sources ${ARG_SOURCES})
  foreach(unit IN LISTS ARG_UNITS)
    list(APPEND sources src/${unit}.cpp)
  endforeach()
  add_library(${target} SHARED ${sources})
  add_library(nuv::${target} ALIAS ${target})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LINK} PRIVATE ${ARG_PRIVATE_LINK})
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    EXPORT_NAME ${target})
  nuv_install_library(${target})
endfunction()

# The shared object goes to the runtime component, its link name and the
# headers to the development component.
function(nuv_install_library target)
  install(TARGETS ${target} EXPORT nuvTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
            NAMELINK_COMPONENT development
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(DIRECTORY include/nuv DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
endfunction()

# nuv_add_test(<target> SOURCES <file>... LINK <target>...)
#
# One GoogleTest executable per library, registered with CTest. The shared
# test main (testsupport) prepares a headless, deterministic environment.
function(nuv_add_test target)
  if(NOT NUV_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LINK} nuv_testsupport GTest::gtest)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${target} PROPERTIES TIMEOUT 1200
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${NUV_LSAN_SUPPRESSIONS}:print_suppressions=0")
endfunction()
