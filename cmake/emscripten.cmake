# Build for the browser with Debian's Emscripten (emcc 3.1.6). Used by
# scripts/build-web.sh, which also builds zlib, libpng and libmpg123 to
# WebAssembly and passes their prefix as ML_WEB_DEPS.
set(ML_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Emscripten's installation")
include(${ML_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Debian's emcc runs Node scripts that need Debian's Node modules; a Node from
# elsewhere on PATH does not search there.
set(ENV{NODE_PATH} /usr/share/nodejs)
set(ML_EMCC_ENV ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# Libraries and headers from the wasm prefix only; programs from the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
