# Helpers that keep every executable on the memory tracker.

# Links the tracker's global allocation operators into an executable. Object
# files, not a static library, so the replacement can never be skipped.
function(ml_use_tracker target)
  target_link_libraries(${target} PRIVATE $<TARGET_NAME_IF_EXISTS:ml_memory>)
endfunction()

# ml_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [GL])
# A GoogleTest executable whose tests CTest runs one by one. GL marks tests
# that need an X display (./test.sh provides a private Xvfb).
function(ml_gtest name)
  cmake_parse_arguments(T "GL" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  ml_use_tracker(${name})
  set(labels ${T_LABELS})
  if(T_GL)
    list(APPEND labels gl)
  endif()
  set(props TIMEOUT 300)
  if(labels)
    list(APPEND props LABELS "${labels}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props})
endfunction()
