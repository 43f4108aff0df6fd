# cmake -DOBJDUMP=... -DPROGRAM=UNBANK.exe [-DSUBSYSTEM=GUI|CUI] -P check_imports.cmake
# Fails unless every DLL the program imports is part of the system, and the program is of the
# subsystem given (a window program, or a console one).
cmake_minimum_required(VERSION 3.25)

set(SYSTEM_DLLS
    advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll
    user32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
if(SUBSYSTEM AND NOT dump MATCHES "Subsystem[^\n]*\\(Windows ${SUBSYSTEM}\\)")
  message(FATAL_ERROR "${PROGRAM} is not a Windows ${SUBSYSTEM} program")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(TOLOWER "${dll}" dll)
  if(NOT dll IN_LIST SYSTEM_DLLS)
    message(FATAL_ERROR "${PROGRAM} imports ${dll}, which is not a system DLL")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
