# Builds the game as WebAssembly for a web browser with Debian's Emscripten
# (scripts/install-deps.sh web): its own toolchain file, found where em++ is.
find_program(LANTERNVALE_EMXX em++ REQUIRED)
get_filename_component(LANTERNVALE_EMSCRIPTEN_ROOT ${LANTERNVALE_EMXX} REALPATH)
get_filename_component(LANTERNVALE_EMSCRIPTEN_ROOT ${LANTERNVALE_EMSCRIPTEN_ROOT} DIRECTORY)
include(${LANTERNVALE_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Emscripten's JavaScript tools find their Node modules (acorn) only here.
set(LANTERNVALE_EMSCRIPTEN_ENV ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER ${LANTERNVALE_EMSCRIPTEN_ENV})
set(CMAKE_CXX_LINKER_LAUNCHER ${LANTERNVALE_EMSCRIPTEN_ENV})
# C++ exceptions are caught, as everywhere else: memory running out is an
# answer the game gives, not an abort.
set(CMAKE_CXX_FLAGS_INIT -fexceptions)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fexceptions)
