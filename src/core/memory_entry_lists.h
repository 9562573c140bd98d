#pragma once

#include "entry_lists.h"
#include "memory_text_box.h"

#include <array>

namespace scp {

// The three lists with their fields and spacer boxes, all in memory, set up
// as the editor starts: placeholder lines, hint texts, 37 and 86 spaces.
class MemoryEntryLists {
public:
    MemoryEntryLists();
    MemoryEntryLists(const MemoryEntryLists&) = delete;
    MemoryEntryLists& operator=(const MemoryEntryLists&) = delete;

    EntryLists& lists() { return m_lists; }
    MemoryTextBox& box(ListId list) { return m_boxes[static_cast<size_t>(list)]; }
    MemoryTextField& field(ListId list) { return m_fields[static_cast<size_t>(list)]; }

private:
    std::array<MemoryTextBox, 3> m_boxes;
    std::array<MemoryTextField, 3> m_fields;
    MemoryTextField m_gumpTileSpacer;
    MemoryTextField m_itemSpacer;
    EntryLists m_lists;
};

} // namespace scp
