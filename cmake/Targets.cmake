# Helpers that keep every executable on the memory tracker.

# Links the tracker's global allocation operators into an executable. Object
# files, not a static library, so the replacement can never be skipped.
# ml_use_tracker(<target> [CALLERS]): CALLERS takes the diagnostics build's
# tracker, which records the caller of every block.
function(ml_use_tracker target)
  if(ARGV1 STREQUAL "CALLERS")
    target_link_libraries(${target} PRIVATE ml_memory_callers)
  else()
    target_link_libraries(${target} PRIVATE $<TARGET_NAME_IF_EXISTS:ml_memory>)
  endif()
endfunction()

# Test executables that cross builds run (the rest need host-only libraries).
set(ML_CROSS_TESTS
  math_vector_test math_matrix_test math_camera_test memory_tests
  app_registry_test app_input_test app_timer_test app_message_style_test app_resources_test
  render_font_test render_texture_test)

# Tests of state that threads share (the sound library's hand-off to its
# audio thread, the tracker's lock, the picture prefetch). They carry the
# label threads; scripts/test-tsan.sh builds ml_thread_tests and runs them.
set(ML_THREAD_TESTS
  sound_library_test stream_player_test fault_slow_decode_test memory_tests
  render_texture_test scene_tests)

# ml_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [GL] [CALLERS])
# A GoogleTest executable whose tests CTest runs one by one. GL marks tests
# that need an X display (./test.sh provides a private Xvfb). CALLERS links
# the diagnostics build's tracker.
function(ml_gtest name)
  cmake_parse_arguments(T "GL;CALLERS" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(T_CALLERS)
    ml_use_tracker(${name} CALLERS)
  else()
    ml_use_tracker(${name})
  endif()
  set(labels ${T_LABELS})
  if(T_GL)
    list(APPEND labels gl)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Cross builds run a chosen set under the target's emulator; the rest is
    # only built on request.
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
    if(NOT name IN_LIST ML_CROSS_TESTS)
      return()
    endif()
    list(APPEND labels cross)
  endif()
  if(name IN_LIST ML_THREAD_TESTS AND NOT CMAKE_CROSSCOMPILING)
    list(APPEND labels threads)
  endif()
  set(mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE ${mode}
    DISCOVERY_TIMEOUT 120
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES TIMEOUT 300)
  if(labels)
    # Set once the discovered tests are known, by a file CTest reads after
    # the discovery's own: passed through the discovery step, a second label
    # becomes a property name of its own and is lost.
    set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${label_file}
         "if(DEFINED ${name}_TESTS)\n"
         "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
  endif()
endfunction()
