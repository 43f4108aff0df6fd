# Cross build for 64-bit ARM Linux with Debian's aarch64 compilers. Its programs run here under
# qemu-user, with the cross libraries' folder as their root, so ctest runs its tests as on the
# host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The cross libraries' loader must load their own C library: where Debian's arm64 libraries are
# installed too (make dist reads the ARM package's dependencies from them), the host's library
# cache names those, of another build of the C library, and threaded programs hang.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu
                                  -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib)
