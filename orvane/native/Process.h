#pragma once

#include <cstddef>
#include <string>

namespace orvane::native {

// The directory the running program's file lies in (symbolic links resolved), or an empty
// string when the system cannot tell.
std::string programDirectory();

// Serves blocks of up to `largest` bytes from the heap and keeps freed memory up to twice
// that before giving it back to the system. By default the C library maps every block
// above a few megabytes afresh and unmaps it when freed, so a program that allocates such
// blocks every frame (Mesa's llvmpipe does, drawing models of millions of faces) pays for
// zeroed pages on every frame; this keeps them. Call it before the first allocation worth
// keeping, from one thread; the process keeps up to that much memory it no longer uses.
// Threads other than the first allocate from heaps of at most 64 MB each, so there only
// blocks up to that size are kept; a C library that refuses the sizes leaves its own.
void keepLargeBlocksOnTheHeap(std::size_t largest);

} // namespace orvane::native
