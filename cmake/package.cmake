# What ships: the portable zip and the per-user installer, both holding the program
# and its help (tools/package.sh, installer/). Every Windows build makes them, so that
# the Wine tests can install what a user would; the release preset makes the ones to
# ship, from a program built with STOWLY_RELEASE.
find_program(MAKENSIS makensis REQUIRED)
find_program(ZIP zip REQUIRED)

option(STOWLY_RELEASE "Build the program to ship: stripped, with no time or build folder in it" OFF)
if(STOWLY_RELEASE)
  foreach(t stowly_core stowly_win stowly)
    target_compile_options(${t} PRIVATE -ffunction-sections -fdata-sections
      -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=  -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  endforeach()
  # The linker would otherwise stamp the build time into the PE header.
  target_link_options(stowly PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endif()

set(STOWLY_ZIP ${PROJECT_BINARY_DIR}/stowly-${PROJECT_VERSION}-portable.zip)
set(STOWLY_SETUP ${PROJECT_BINARY_DIR}/stowly-${PROJECT_VERSION}-setup.exe)
add_custom_command(OUTPUT ${STOWLY_ZIP} ${STOWLY_SETUP}
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/package.sh ${PROJECT_VERSION} $<TARGET_FILE:stowly> ${STOWLY_CHM}
    ${PROJECT_BINARY_DIR}/res/stowly.ico ${PROJECT_BINARY_DIR}
  DEPENDS stowly ${STOWLY_CHM} ${PROJECT_SOURCE_DIR}/tools/package.sh
    ${PROJECT_SOURCE_DIR}/installer/stowly.nsi ${PROJECT_SOURCE_DIR}/installer/portable-readme.txt
  COMMENT "Packing the portable zip and the installer"
  VERBATIM)
add_custom_target(packages ALL DEPENDS ${STOWLY_ZIP} ${STOWLY_SETUP})
add_dependencies(packages stowly_help)
