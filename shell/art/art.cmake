# The progress picture and the icons, drawn at build time from the text pixel maps in this
# folder. Include it from shell/CMakeLists.txt; it defines two functions:
#
#   unbank_add_resources(<target> unbank.rc)
#     compiles the resource script into <target> once the pictures exist, and again whenever
#     a pixel map or make_art.py changes;
#   unbank_add_art_check(<test name>)
#     a test that reads the pictures back and checks them; call it where testing is enabled
#     (the test folder), anywhere after the include.
#
# The custom target unbank_art builds the pictures alone, into ${UNBANK_ART_DIR}.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Cached so that the functions also see them when called from another folder.
set(UNBANK_ART_PYTHON ${Python3_EXECUTABLE} CACHE INTERNAL "")
set(UNBANK_ART_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/make_art.py CACHE INTERNAL "")
set(UNBANK_ART_DIR ${CMAKE_CURRENT_BINARY_DIR}/art CACHE INTERNAL "")

set(UNBANK_ART_MAPS
    ${CMAKE_CURRENT_LIST_DIR}/logo.txt
    ${CMAKE_CURRENT_LIST_DIR}/program_icon.txt
    ${CMAKE_CURRENT_LIST_DIR}/document_icon.txt
    ${CMAKE_CURRENT_LIST_DIR}/segment_font.txt)

# The file names that make_art.py writes; frameNN.ico is frame NN of the tray animation.
set(UNBANK_ART_FILES progress.bmp program.ico document.ico resting.ico)
foreach(frame 00 01 02 03 04 05 06 07 08 09 10)
  list(APPEND UNBANK_ART_FILES frame${frame}.ico)
endforeach()
list(TRANSFORM UNBANK_ART_FILES PREPEND ${UNBANK_ART_DIR}/)

add_custom_command(
  OUTPUT ${UNBANK_ART_FILES}
  COMMAND ${UNBANK_ART_PYTHON} ${UNBANK_ART_SCRIPT} ${UNBANK_ART_DIR}
  DEPENDS ${UNBANK_ART_SCRIPT} ${UNBANK_ART_MAPS}
  COMMENT "Drawing the progress picture and the icons"
  VERBATIM)
add_custom_target(unbank_art DEPENDS ${UNBANK_ART_FILES})

function(unbank_add_resources target rc_file)
  target_sources(${target} PRIVATE ${rc_file})
  # windres finds the files that ICON and BITMAP statements name on its include path.
  target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${UNBANK_ART_DIR}>)
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${UNBANK_ART_FILES}")
  add_dependencies(${target} unbank_art)
endfunction()

function(unbank_add_art_check test_name)
  add_test(NAME ${test_name}
           COMMAND ${UNBANK_ART_PYTHON} ${UNBANK_ART_SCRIPT} --check ${UNBANK_ART_DIR})
endfunction()
