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

# Sections start on page boundaries in the file as in memory. Windows maps an image either way,
# but Wine can map a section straight from the file only when its file offset is page-aligned;
# with the linker's default 512-byte alignment it reads every section, debug information and all
# resources included, into private memory at load time, which made the client's image (and the
# simulator's) wholly resident: some 17 MB, most of it never touched. Mapped, only the pages in use
# are resident, and those are shared with the page cache. It costs at most a page of padding per
# section in the file.
add_link_options(-Wl,--file-alignment,0x1000)
