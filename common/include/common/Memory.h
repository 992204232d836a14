#pragma once
// How the programs' allocator treats freed memory.

namespace qrdesk {

// Keeps freed memory for reuse instead of handing it back to the system at once. Both
// programs make and read megabyte-sized pictures one after another; glibc maps each block
// above 128 KiB afresh and returns freed space at once, so every picture pays for new pages
// again: a batch ten times what making its symbols costs, a reader a fifth of its time
// (WeChat's failure on a 600-pixel version 40 symbol: some 220 ms of CPU instead of 180).
// What is kept stays about the size of the largest picture per thread. Call first thing in
// main.
void KeepFreedMemoryForReuse();

}  // namespace qrdesk
