# The Windows cross build: the system's GL, GLU, WIC, Media Foundation and
# waveOut stand in for SDL2, libpng and libmpg123, which have no Windows build
# here. GoogleTest is built from the sources Debian installs.
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED)
find_package(Threads REQUIRED)

# Libraries that exist only on the host. Their targets are empty so that the
# rooms that name them still configure; nothing built for Windows uses them.
foreach(placeholder SDL2::SDL2 PNG::PNG Freetype::Freetype PkgConfig::MPG123 PkgConfig::LAME
                    benchmark::benchmark benchmark::benchmark_main X11::X11)
  if(NOT TARGET ${placeholder})
    add_library(${placeholder} INTERFACE IMPORTED)
  endif()
endforeach()
if(NOT TARGET OpenGL::GLU)
  add_library(OpenGL::GLU INTERFACE IMPORTED)
  set_target_properties(OpenGL::GLU PROPERTIES INTERFACE_LINK_LIBRARIES glu32)
endif()

find_package(ZLIB QUIET)

if(ML_BUILD_TESTS)
  set(ML_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${ML_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
    # Third-party code: keep its warnings out of the build log.
    target_compile_options(${lib} PRIVATE -w)
  endforeach()
  include(GoogleTest)
endif()

# M_PI and friends are only declared on request by the Windows runtime.
add_compile_definitions(_USE_MATH_DEFINES)
