# project_library(<name> [GUI] DEPS <libs...> [TEST_DEPS <libs...>] [LABEL <label>])
# Builds every .cpp of the calling folder into a static library <name>.
# When the folder has tests/*.cpp they become <name>_tests, run through CTest.
function(project_library name)
  cmake_parse_arguments(PL "GUI" "LABEL" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs} ${hdrs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${PL_DEPS})
  file(GLOB tsrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(tsrcs)
    if(PL_GUI)
      set(main testmain_gui)
      set(label gui)
    else()
      set(main testmain_core)
      set(label unit)
    endif()
    if(PL_LABEL)
      set(label ${PL_LABEL})
    endif()
    add_executable(${name}_tests ${tsrcs})
    set_target_properties(${name}_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin)
    target_compile_definitions(${name}_tests PRIVATE
      TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
      BIN_DIR="${CMAKE_BINARY_DIR}/bin"
      SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name}_tests PRIVATE ${name} ${PL_TEST_DEPS} ${main} GTest::gtest GTest::gmock)
    gtest_discover_tests(${name}_tests
      PROPERTIES LABELS ${label} ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      DISCOVERY_TIMEOUT 60
      DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()

# A test program of its own beside a library's tests, for tests that need
# their own label or time limit: the GUI test main, offscreen.
function(gui_test_program name)
  cmake_parse_arguments(GT "" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${GT_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin)
  target_compile_definitions(${name} PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${GT_DEPS} testmain_gui GTest::gtest)
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${GT_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${GT_TIMEOUT}
    DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST)
endfunction()
