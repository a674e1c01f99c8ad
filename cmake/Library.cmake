# Every folder's .cpp files are globbed, so a new file needs no CMake edit.
function(_mss_folder_sources out)
  set(sources "")
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  set(${out} "${sources}" PARENT_SCOPE)
endfunction()

# mss_library(<name> DIRS <folder>... LIBS <dep>... PRIVATE_LIBS <dep>...): one
# static library made of the .cpp files of the given folders (relative to the
# calling CMakeLists).
function(mss_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LIBS;PRIVATE_LIBS" ${ARGN})
  _mss_folder_sources(sources ${ARG_DIRS})
  if(NOT sources)
    return()  # a subsystem folder whose code has not arrived yet
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC mss_options ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# mss_test(<name> DIRS <folder>... LIBS <dep>... LABELS <label>...): one
# GoogleTest program of the .cpp files of the given folders, each test case
# registered with CTest.
function(mss_test name)
  cmake_parse_arguments(ARG "" "" "DIRS;LIBS;LABELS" ${ARGN})
  _mss_folder_sources(sources ${ARG_DIRS})
  if(NOT sources)
    return()  # a folder whose tests have not been written yet
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src
                             ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PRIVATE mss_options ${ARG_LIBS} mss_resources GTest::gmock GTest::gtest_main)
  set(props TIMEOUT 120)
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
