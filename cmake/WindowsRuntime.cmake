# Runtime arrangement of every Windows binary.
#
# std::string and std::function cross the boundary between Sivrel.exe and Korvex.dll. That is safe
# here because both modules are built by this same mingw-w64 g++ with the same flags, so the class
# layouts and the libstdc++ ABI are identical, and because each module links libstdc++, libgcc and
# winpthreads statically while both allocate through the one msvcrt.dll heap that every Windows
# system ships: memory that one module allocates inside a std::string the other can free. Nothing
# but system DLLs is needed beside the two files. (A service built by another compiler would need
# a C-only boundary instead.)
add_link_options(-static -static-libgcc -static-libstdc++)
