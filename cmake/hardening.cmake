# The hardening Debian gives the programs it ships: libc calls checked where
# the compiler knows the buffer's size, a stack protector, relocations made
# read-only and bound before main, and a position-independent executable.
# Off under the sanitizers, which check the same things their own way, and on
# systems whose linkers know none of this (Windows, macOS, the web).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT LANTERNVALE_SANITIZE AND NOT LANTERNVALE_FUZZ)
  set(LANTERNVALE_HARDENING_DEFAULT ON)
else()
  set(LANTERNVALE_HARDENING_DEFAULT OFF)
endif()
option(LANTERNVALE_HARDENING "Build with the distribution's hardening flags" ${LANTERNVALE_HARDENING_DEFAULT})

if(LANTERNVALE_HARDENING)
  add_compile_options(-fstack-protector-strong)
  # The checked calls need the optimiser to know sizes; glibc warns without it.
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
