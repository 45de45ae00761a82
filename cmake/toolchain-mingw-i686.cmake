# Cross-compiling toolchain for i686 Windows with MinGW-w64 (posix threading variant,
# which GoogleTest needs for std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QP_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QP_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QP_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QP_TRIPLE}-windres)
set(QP_DLLTOOL ${QP_TRIPLE}-dlltool)
set(QP_OBJDUMP ${QP_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QP_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: the binaries then import only system DLLs (no libwinpthread,
# libgcc or libstdc++ DLLs next to the mail server).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
