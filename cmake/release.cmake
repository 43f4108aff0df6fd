# What a user downloads, made by `make dist` into UNBANK_DIST_DIR. Include it from the
# top-level CMakeLists.txt after the programs' folders.
#
# Linux: the install rules, and through them the Debian package (CPack's `package` target);
#        the target source_archive, the committed source tree as a .tar.gz.
# Windows: the target release_zip, the window program and the two texts at the top of one zip,
#          the console programs in its folder cli; in the 32-bit build the target
#          release_installer, the same files in an installer (installer.nsi).
set(UNBANK_DIST_DIR ${PROJECT_SOURCE_DIR}/build/dist CACHE PATH "Where the release files go")
set(UNBANK_MAINTAINER "The UNBANK developers <unbank@example.org>"
    CACHE STRING "The Debian package's maintainer")

if(WIN32)
  # Everything the zip holds is gathered in one folder: the programs as the build left them
  # (make dist builds first), without their symbols and debugging sections, and the texts
  # with the line ends Notepad shows. README.txt is the user part of README.md. Windows does not
  # tell UNBANK.exe from unbank.exe, so the console programs go into a folder cli of their own.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(release_dir ${CMAKE_BINARY_DIR}/release)
  file(MAKE_DIRECTORY ${release_dir}/cli)
  set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(release_files UNBANK.exe cli/unbank.exe cli/mkbank.exe README.txt LICENSE.txt)
  foreach(program UNBANK.exe cli/unbank.exe cli/mkbank.exe)
    get_filename_component(name ${program} NAME)
    add_custom_command(OUTPUT ${release_dir}/${program}
                       COMMAND ${CMAKE_STRIP} -o ${release_dir}/${program} ${bin}/${name}
                       DEPENDS ${bin}/${name}
                       VERBATIM)
  endforeach()
  set(text_script ${CMAKE_CURRENT_LIST_DIR}/release_text.py)
  add_custom_command(
    OUTPUT ${release_dir}/README.txt ${release_dir}/LICENSE.txt
    COMMAND ${Python3_EXECUTABLE} ${text_script} readme ${PROJECT_SOURCE_DIR}/README.md
            ${release_dir}/README.txt
    COMMAND ${Python3_EXECUTABLE} ${text_script} plain ${PROJECT_SOURCE_DIR}/LICENSE
            ${release_dir}/LICENSE.txt
    DEPENDS ${text_script} ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    VERBATIM)
  list(TRANSFORM release_files PREPEND ${release_dir}/ OUTPUT_VARIABLE release_paths)

  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(zip ${UNBANK_DIST_DIR}/unbank-${PROJECT_VERSION}-windows-x64.zip)
  else()
    set(zip ${UNBANK_DIST_DIR}/unbank-${PROJECT_VERSION}-windows-x86.zip)
  endif()
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${UNBANK_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND zip -q -X -D -MM ${zip} ${release_files}
    DEPENDS ${release_paths}
    WORKING_DIRECTORY ${release_dir}
    VERBATIM)
  add_custom_target(release_zip DEPENDS ${zip})

  # The installer, of the 32-bit release: it installs into the 32-bit Program Files.
  if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    string(REGEX REPLACE "^Copyright \\(c\\) [0-9]+ " "" publisher "${UNBANK_COPYRIGHT}")
    set(setup ${UNBANK_DIST_DIR}/unbank-${PROJECT_VERSION}-setup.exe)
    set(script ${CMAKE_CURRENT_LIST_DIR}/installer.nsi)
    add_custom_command(
      OUTPUT ${setup}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${UNBANK_DIST_DIR}
      COMMAND makensis -V2 -DVERSION=${PROJECT_VERSION} -DPUBLISHER=${publisher}
              -DCOPYRIGHT=${UNBANK_COPYRIGHT}
              -DRELEASE_DIR=${release_dir} -DICON=${UNBANK_ART_DIR}/program.ico
              -DOUTFILE=${setup} ${script}
      DEPENDS ${script} ${release_paths} ${UNBANK_ART_DIR}/program.ico
      VERBATIM)
    add_custom_target(release_installer DEPENDS ${setup})
    add_dependencies(release_installer unbank_art)
  endif()
  return()
endif()

include(GNUInstallDirs)
set(completion_dir ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(TARGETS unbank mkbank RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES completions/unbank.bash DESTINATION ${completion_dir} RENAME unbank)
install(FILES completions/mkbank.bash DESTINATION ${completion_dir} RENAME mkbank)

# The package's copyright file, in Debian's machine-readable form, from LICENSE: its
# copyright line, and the permission text below that line as the Expat license.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)\n\n(.*)" _ "${license}")
set(copyright_holders ${CMAKE_MATCH_1})
string(STRIP "${CMAKE_MATCH_2}" license_text)
string(REGEX REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" license_text " ${license_text}")
set(debian ${CMAKE_CURRENT_LIST_DIR}/debian)
configure_file(${debian}/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The package's changelog (a package without one is faulty), dated the day the build was made
# or at SOURCE_DATE_EPOCH, and what lintian is told about the static unbank.
string(TIMESTAMP package_date "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${debian}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9 -n -k -f changelog DEPENDS changelog)
add_custom_target(package_changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${debian}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME unbank)

set(CPACK_GENERATOR DEB RPM)
set(CPACK_PACKAGE_NAME unbank)
set(CPACK_PACKAGE_CONTACT ${UNBANK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "extract the sample slots of ZP-4 bank files as WAV files")
set(CPACK_PACKAGE_DESCRIPTION [[
unbank reads the memory images (bulk files, .zp4) that the ZP-4 hardware
sampler saved, decodes the block-compressed audio of every used slot of the
bank's 100 mono and 50 stereo slots and writes each as a 16-bit PCM WAV file at
32000 Hz. It lists and tests banks, never overwrites without asking, and on
request writes every intact slot of a damaged bank.

mkbank packs WAV files, or synthesised demo sounds, into a bank file.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The RPM package for Fedora and openSUSE, unbank-VERSION-1.x86_64.rpm: the same files but the
# lintian override, which means nothing there; the folders of the system stay the system's.
# rpmlint's checks that do not suit it are left out in tests/release/rpmlintrc.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Applications/Multimedia")
set(CPACK_RPM_PACKAGE_VENDOR "The UNBANK developers")
set(CPACK_RPM_PACKAGE_SUMMARY "Extract the sample slots of ZP-4 bank files as WAV files")
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${UNBANK_MAINTAINER}
%define _build_id_links none")
set(CPACK_RPM_USER_FILELIST "%exclude /usr/share/lintian/overrides/unbank")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/bash-completion
    /usr/share/bash-completion/completions /usr/share/lintian /usr/share/lintian/overrides)
set(CPACK_STRIP_FILES ON)
# The ARM build's packages name its processor, where dpkg and rpm would name the host's.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  set(CPACK_RPM_PACKAGE_ARCHITECTURE aarch64)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_OUTPUT_FILE_PREFIX ${UNBANK_DIST_DIR})
include(CPack)

add_custom_target(source_archive
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/source-archive.sh ${PROJECT_VERSION}
          ${UNBANK_DIST_DIR}/unbank-${PROJECT_VERSION}.tar.gz
  VERBATIM)
