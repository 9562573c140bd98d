#pragma once

// How the program has the C library manage its memory: large blocks apart,
// and freed memory given back.

namespace scp {

// Has every large block (a list's text, a file read whole) mapped from the
// system on its own, where the C library allows it: such a block then grows
// in place as a list is filled, and goes back to the system when it is
// freed, so Load after Load does not leave the heap holding the largest
// lists seen. Call once, first thing in main().
void mapLargeBlocksApart();

// Gives back to the system the free memory the C library still holds, in
// every thread's heap: a list filled on a thread of its own leaves its small
// blocks there once it is freed, where they would otherwise stay.
void returnFreedMemory();
// The same once the event loop is next idle, once however often it is asked
// for meanwhile.
void returnFreedMemoryWhenIdle();

} // namespace scp
