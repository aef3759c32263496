# The portable code and its tests built for 32-bit x86 Linux with the shipped
# saver's floating-point settings (x87), run under user-mode emulation. It
# proves the animation's float sequence in x87 code on machines that cannot
# start 32-bit Windows programs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(SAVER_SANITIZE OFF CACHE BOOL "" FORCE)
# Debug information leaves the generated code as it is and only slows the
# build down, and nothing built here is shipped.
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -DNDEBUG" CACHE STRING "Optimised, without debug information")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -DNDEBUG" CACHE STRING "Optimised, without debug information")
