#pragma once

namespace scp {

// Has every large block (a list's text, a file read whole) mapped from the
// system on its own, where the C library allows it: such a block then grows
// in place as a list is filled, and goes back to the system when it is
// freed, so Load after Load does not leave the heap holding the largest
// lists seen. Call once, first thing in main().
void mapLargeBlocksApart();

} // namespace scp
