# Helpers that turn a folder of sources into a library, and a folder of tests into ctest entries.

# sorvanta_library(NAME FOLDER [EXCLUDE SUBFOLDER] DEPENDS DEPENDENCIES...): a static library from FOLDER's *.cpp,
# *.h and *.qrc, subfolders included (but not SUBFOLDER, which is a library of its own). Adding a file needs no
# edit of a build file.
function(sorvanta_library name folder)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
  if(ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${folder}/${ARG_EXCLUDE}/")
  endif()
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# sorvanta_module(NAME FOLDER FILE_NAME DEPENDS DEPENDENCIES...): a module that the program loads at run time (a
# Qt plugin) from FOLDER's sources, written as FILE_NAME.so into the program's folder (build/app), where the
# program looks for it. It links only DEPENDENCIES, none of the program's libraries.
function(sorvanta_module name folder file_name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  add_library(${name} MODULE ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name} SUFFIX ".so"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
endfunction()

# sorvanta_tests(FOLDER [WIDGETS] LIBRARIES...): tests/FOLDER/**/*_test.cpp become up to four executables by
# their names:
#   *_interop_test.cpp      label "<folder>_interop", run inside a private network namespace (tests/support/netns_run)
#   *_gui_interop_test.cpp  label "<folder>_gui_interop", the same for end-to-end tests that create windows
#   *_gui_test.cpp          label "<folder>_gui"
#   other *_test.cpp    label "<folder>" (ctest -L takes a regular expression: -L gui finds every gui test)
# Every test runs offscreen with a fresh SORVANTA_HOME (see test_main). Without WIDGETS the non-gui tests run
# under a QCoreApplication and link no widget library.
function(sorvanta_tests folder)
  cmake_parse_arguments(ARG "WIDGETS" "" "" ${ARGN})
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  set(gui_interop ${all})
  list(FILTER gui_interop INCLUDE REGEX "_gui_interop_test\\.cpp$")
  set(interop ${all})
  list(FILTER interop INCLUDE REGEX "_interop_test\\.cpp$")
  list(FILTER interop EXCLUDE REGEX "_gui_interop_test\\.cpp$")
  set(gui ${all})
  list(FILTER gui INCLUDE REGEX "_gui_test\\.cpp$")
  set(unit ${all})
  list(FILTER unit EXCLUDE REGEX "_(interop|gui)_test\\.cpp$")
  set(main test_main_core)
  if(ARG_WIDGETS)
    set(main test_main_widgets)
  endif()
  set(libraries ${ARG_UNPARSED_ARGUMENTS})
  _sorvanta_test_executable(${folder}_tests "${unit}" "${folder}" "" ${main} ${libraries})
  if(TARGET ${folder}_tests)
    add_dependencies(unit_tests ${folder}_tests)
  endif()
  _sorvanta_test_executable(${folder}_gui_tests "${gui}" "${folder};gui" "" test_main_widgets ${libraries})
  _sorvanta_test_executable(${folder}_interop_tests "${interop}" "${folder};interop"
                            "${CMAKE_SOURCE_DIR}/tests/support/netns_run" ${main} ${libraries})
  _sorvanta_test_executable(${folder}_gui_interop_tests "${gui_interop}" "${folder};gui;interop"
                            "${CMAKE_SOURCE_DIR}/tests/support/netns_run" test_main_widgets ${libraries})
endfunction()

function(_sorvanta_test_executable target sources labels launcher)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE test_support ${ARGN})
  # One label per test: a list would not survive test discovery. ctest -L takes a regular expression, so
  # "core_gui" is found by both -L core and -L gui.
  string(REPLACE ";" "_" label "${labels}")
  set(props LABELS "${label}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  if(launcher)
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${launcher})
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
