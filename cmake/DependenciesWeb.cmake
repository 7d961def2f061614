# The browser build: zlib, libpng and libmpg123 compiled to WebAssembly from
# Debian's source packages (scripts/build-web.sh installs them under
# ML_WEB_DEPS); GL and GLU headers come with Emscripten. The window, input and
# sound output of the desktop builds have no place in a page.
set(ML_WEB_DEPS "" CACHE PATH "Prefix of the wasm builds of zlib, libpng and libmpg123")
if(NOT ML_WEB_DEPS OR NOT EXISTS ${ML_WEB_DEPS}/lib/libmpg123.a)
  message(FATAL_ERROR "ML_WEB_DEPS must name the prefix scripts/build-web.sh fills "
                      "(lib/libz.a, lib/libpng16.a, lib/libmpg123.a)")
endif()
if(NOT ML_HOST_ASSETS)
  message(FATAL_ERROR "The browser build takes its generated assets from a host build: "
                      "-DML_HOST_ASSETS=<host build folder>")
endif()

find_package(Threads REQUIRED)

function(ml_web_library target lib)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${ML_WEB_DEPS}/lib/${lib}
    INTERFACE_INCLUDE_DIRECTORIES ${ML_WEB_DEPS}/include
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
ml_web_library(ZLIB::ZLIB libz.a)
ml_web_library(PNG::PNG libpng16.a ZLIB::ZLIB)
ml_web_library(PkgConfig::MPG123 libmpg123.a)

# GL and GLU are Emscripten's headers; the functions come from the web
# backend's own GL layer at link time.
foreach(header_only OpenGL::GL OpenGL::GLU)
  add_library(${header_only} INTERFACE IMPORTED)
endforeach()

# Libraries of the desktop builds and the asset generators. Empty targets so
# that the rooms naming them still configure; nothing built for the page uses them.
foreach(placeholder SDL2::SDL2 Freetype::Freetype PkgConfig::LAME
                    benchmark::benchmark benchmark::benchmark_main X11::X11)
  add_library(${placeholder} INTERFACE IMPORTED)
endforeach()
