# clang with LLVM's libc++, the toolchain of macOS, on Linux: what builds here
# builds with Apple's compiler and standard library.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
