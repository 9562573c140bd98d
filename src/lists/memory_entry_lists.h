#pragma once

#include "lists/entry_lists.h"
#include "lists/memory_text_box.h"

namespace scp {

// The three lists with their fields and spacer boxes, all in memory, set up
// as the editor starts: placeholder lines, hint texts, 37 and 86 spaces.
class MemoryEntryLists {
public:
    MemoryEntryLists();
    MemoryEntryLists(const MemoryEntryLists&) = delete;
    MemoryEntryLists& operator=(const MemoryEntryLists&) = delete;

    EntryLists& lists() { return m_lists; }
    MemoryTextBox& box(ListId list) { return m_boxes[static_cast<int>(list)]; }
    MemoryTextField& field(ListId list) { return m_fields[static_cast<int>(list)]; }

private:
    MemoryTextBox m_boxes[3];
    MemoryTextField m_fields[3];
    MemoryTextField m_text2;
    MemoryTextField m_text5;
    EntryLists m_lists;
};

} // namespace scp
