# Installs the build into a scratch prefix and checks that both programs, their manual pages,
# their completions and the copyright file land where man, the shell and the package tools
# look for them, and that the installed programs give the project's version.
# cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/unbank bin/mkbank share/man/man1/unbank.1.gz share/man/man1/mkbank.1.gz
             share/bash-completion/completions/unbank share/bash-completion/completions/mkbank
             share/doc/unbank/copyright)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
foreach(program unbank mkbank)
  execute_process(COMMAND ${PREFIX}/bin/${program} --version OUTPUT_VARIABLE said)
  if(NOT said STREQUAL "${program} ${VERSION}\n")
    message(FATAL_ERROR "installed ${program} --version says: ${said}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
