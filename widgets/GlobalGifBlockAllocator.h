#pragma once
// Windows only: one-image GIF blocks as GMEM_FIXED global memory, which CreateStreamOnHGlobal can
// own (with fDeleteOnRelease it frees the block when the stream goes).
#include "widgets/GifBlockAllocator.h"

GifBlockAllocator GlobalGifBlockAllocator();
