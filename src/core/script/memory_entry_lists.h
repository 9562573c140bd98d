#pragma once

// The three lists held in memory, for the headless compiler.

#include "script/entry_lists.h"
#include "text/memory_text_box.h"

#include <array>

namespace scp {

// The three lists in memory, each starting with its placeholder line.
class MemoryEntryLists {
public:
    MemoryEntryLists();
    MemoryEntryLists(const MemoryEntryLists&) = delete;
    MemoryEntryLists& operator=(const MemoryEntryLists&) = delete;

    EntryLists& lists() { return m_lists; }
    MemoryTextBox& box(ListId list) { return m_boxes[static_cast<size_t>(list)]; }

private:
    std::array<MemoryTextBox, 3> m_boxes;
    EntryLists m_lists;
};

} // namespace scp
