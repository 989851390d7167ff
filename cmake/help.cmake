# The user's help: the pages of help/ compiled into stowly.chm beside the program
# by Free Pascal's chmcmd. chmcmd writes beside its project file, so the pages are
# copied into the build tree first; the clock readings it stamps into the file are
# then zeroed (tools/pin-chm-time.py), so that the same pages give the same bytes.
find_program(CHMCMD chmcmd REQUIRED)
find_program(ENUM_CHMLIB enum_chmLib REQUIRED) # read by the test below (libchm-bin)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

file(GLOB_RECURSE HELP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*)
set(STOWLY_CHM ${PROJECT_BINARY_DIR}/stowly.chm)
set(HELP_WORK ${PROJECT_BINARY_DIR}/help)
add_custom_command(OUTPUT ${STOWLY_CHM}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HELP_WORK}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/help ${HELP_WORK}
  COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_WORK} ${CHMCMD} --verbosity 1 stowly.hhp
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/pin-chm-time.py ${HELP_WORK}/stowly.chm
  COMMAND ${CMAKE_COMMAND} -E rename ${HELP_WORK}/stowly.chm ${STOWLY_CHM}
  DEPENDS ${HELP_SOURCES} ${PROJECT_SOURCE_DIR}/tools/pin-chm-time.py
  COMMENT "Compiling the help (stowly.chm)"
  VERBATIM)
add_custom_target(stowly_help ALL DEPENDS ${STOWLY_CHM})

# The compiled file holds every file its project lists, unchanged, and no clock reading.
add_test(NAME help.chm COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/help/check_help.py
  ${PROJECT_SOURCE_DIR}/help/stowly.hhp ${STOWLY_CHM})
