// Heap settings for programs that build and free large documents one after
// the other.
#pragma once

namespace menvaro {

// Keeps freed heap memory (up to 64 MiB) for reuse instead of handing it back
// to the system at once, and serves blocks up to 32 MiB from the heap. A
// program that writes a series of large files otherwise pays for fresh pages
// again for every file.
void KeepFreedHeapMemory();

}  // namespace menvaro
