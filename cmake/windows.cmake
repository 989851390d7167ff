# Windows-only part of the build: the Win32 backend, the program, the Wine tests
# and the helper programs under tools/.
enable_language(RC)

set(STOWLY_WIN_DEFS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
set(STOWLY_WIN_LIBS comctl32 shell32 ole32 oleaut32 oleacc uuid advapi32 user32 gdi32 comdlg32 winhttp shlwapi windowscodecs msimg32 wtsapi32)

file(GLOB WIN32_BACKEND CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(stowly_win STATIC ${WIN32_BACKEND} ${WIN_SOURCES})
target_link_libraries(stowly_win PUBLIC stowly_core ${STOWLY_WIN_LIBS})
target_compile_definitions(stowly_win PUBLIC ${STOWLY_WIN_DEFS})
target_include_directories(stowly_win PUBLIC ${PROJECT_SOURCE_DIR}/res)
target_compile_options(stowly_win PRIVATE ${STOWLY_WARNINGS})
# The simulated platform borrows the real HTTP client of the system it runs on.
target_link_libraries(stowly_sim PUBLIC stowly_win)
# The tests' local HTTP server speaks Winsock.
target_link_libraries(stowly_test_support PUBLIC ws2_32)

add_executable(stowly WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win.cpp ${PROJECT_SOURCE_DIR}/res/stowly.rc)
target_link_libraries(stowly PRIVATE stowly_win)
target_link_options(stowly PRIVATE -municode)
target_compile_options(stowly PRIVATE ${STOWLY_WARNINGS})
target_include_directories(stowly PRIVATE ${PROJECT_BINARY_DIR}/res)
set_target_properties(stowly PROPERTIES OUTPUT_NAME stowly)

# Artwork rendered from its sources (res/art) into the build tree; the generated
# art.rc, included by stowly.rc, names the renders.
file(GLOB ART_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/art/*)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/res/art.rc
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/render-art.sh ${PROJECT_SOURCE_DIR}/res ${PROJECT_BINARY_DIR}/res
  DEPENDS ${ART_SOURCES} ${PROJECT_SOURCE_DIR}/res/resource.h ${PROJECT_SOURCE_DIR}/tools/render-art.sh
  COMMENT "Rendering the artwork")
set_source_files_properties(${PROJECT_SOURCE_DIR}/res/stowly.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_BINARY_DIR}/res/art.rc;${PROJECT_SOURCE_DIR}/res/dialogs.rc;${PROJECT_SOURCE_DIR}/res/resource.h")

# The help file and the packages that ship (help/, installer/).
include(${PROJECT_SOURCE_DIR}/cmake/help.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/package.cmake)

# Helper programs: every folder under tools/ with C++ sources becomes <folder>.exe.
file(GLOB TOOL_DIRS LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/tools/*)
foreach(dir IN LISTS TOOL_DIRS)
  if(IS_DIRECTORY ${dir})
    file(GLOB tool_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(tool_sources)
      get_filename_component(tool ${dir} NAME)
      add_executable(${tool} WIN32 ${tool_sources})
      target_link_libraries(${tool} PRIVATE stowly_win)
      target_link_options(${tool} PRIVATE -municode)
      target_compile_options(${tool} PRIVATE ${STOWLY_WARNINGS})
    endif()
  endif()
endforeach()

file(GLOB WINE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
if(WINE_TESTS)
  add_executable(stowly_wine_tests ${PROJECT_SOURCE_DIR}/tests/main.cpp ${WINE_TESTS})
  target_link_libraries(stowly_wine_tests PRIVATE stowly_test_support stowly_win)
  target_compile_options(stowly_wine_tests PRIVATE ${STOWLY_WARNINGS})
  stowly_add_file_tests(stowly_wine_tests ${WINE_TESTS})
  # Wine tests may start programs and find files of the build tree.
  foreach(f IN LISTS WINE_TESTS)
    get_filename_component(name ${f} NAME_WE)
    set_property(TEST stowly_wine_tests.wine.${name} APPEND PROPERTY ENVIRONMENT
      "STOWLY_BUILD_DIR=${PROJECT_BINARY_DIR}" "STOWLY_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    set_property(TEST stowly_wine_tests.wine.${name} PROPERTY RUN_SERIAL TRUE)
  endforeach()
endif()

# One Wine prefix, X server and wineserver for the whole run.
set(WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} --build ${PROJECT_BINARY_DIR} CACHE STRING "" FORCE)
foreach(t stowly_tests stowly_wine_tests)
  if(TARGET ${t})
    set_target_properties(${t} PROPERTIES CROSSCOMPILING_EMULATOR "${WINE_RUN};--build;${PROJECT_BINARY_DIR}")
  endif()
endforeach()
add_test(NAME wine.start COMMAND ${WINE_RUN} --build ${PROJECT_BINARY_DIR} --start)
add_test(NAME wine.stop COMMAND ${WINE_RUN} --build ${PROJECT_BINARY_DIR} --stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# The benchmark of the program under Wine (tools/bench.sh); built with the rest so
# that it keeps compiling, never run by CTest.
add_executable(cycle_bench ${PROJECT_SOURCE_DIR}/tests/main.cpp ${PROJECT_SOURCE_DIR}/bench/wine/cycle_bench.cpp)
target_link_libraries(cycle_bench PRIVATE stowly_test_support stowly_win)
target_compile_options(cycle_bench PRIVATE ${STOWLY_WARNINGS})
