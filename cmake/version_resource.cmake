# The Windows version resource (what Explorer's Properties > Details shows) and the application
# manifest. Include it from the top-level CMakeLists.txt; it defines
#
#   unbank_add_version_resource(<target> "<file description>" <original file name>)
#     compiles a VERSIONINFO into <target>: the project's version as file and product version,
#     product name UNBANK, the copyright line of LICENSE, and the two names given; and beside it
#     the manifest of program.manifest.in, the same for every program.
#
# Each target given one is listed in the global property UNBANK_VERSIONED_PROGRAMS, so that
# the tests read every program's resource back. Elsewhere than on Windows it does nothing.
if(NOT WIN32)
  function(unbank_add_version_resource)
  endfunction()
  return()
endif()
enable_language(RC)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE UNBANK_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/LICENSE)
set(UNBANK_VERSION_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)
set(UNBANK_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/program.manifest.in)

function(unbank_add_version_resource target description original_name)
  get_filename_component(internal_name ${original_name} NAME_WE)
  set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${UNBANK_MANIFEST_TEMPLATE} ${manifest} @ONLY)
  configure_file(${UNBANK_VERSION_RC_TEMPLATE} ${rc_file} @ONLY)
  target_sources(${target} PRIVATE ${rc_file})
  # windres does not see the manifest as a dependency of the resource script.
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
  set_property(GLOBAL APPEND PROPERTY UNBANK_VERSIONED_PROGRAMS ${target})
endfunction()
