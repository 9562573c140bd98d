// The three lists in memory, as the editor starts them.

#include "script/memory_entry_lists.h"

namespace scp {

MemoryEntryLists::MemoryEntryLists()
    : m_boxes{MemoryTextBox(listPlaceholder(ListId::Gumps)),
              MemoryTextBox(listPlaceholder(ListId::Tiles)),
              MemoryTextBox(listPlaceholder(ListId::Items))},
      m_lists({&m_boxes[0], &m_boxes[1], &m_boxes[2]})
{
}

} // namespace scp
