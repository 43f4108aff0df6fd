# Installs the build into a scratch prefix and checks that both programs and both manual
# pages land where man and the shell look for them, and that the installed unbank runs.
# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/unbank bin/mkbank share/man/man1/unbank.1 share/man/man1/mkbank.1)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/unbank --version OUTPUT_VARIABLE version)
if(NOT version MATCHES "^unbank [0-9]")
  message(FATAL_ERROR "installed unbank says: ${version}")
endif()
file(REMOVE_RECURSE ${PREFIX})
