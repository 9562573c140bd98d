#include "lists/memory_entry_lists.h"

namespace scp {

MemoryEntryLists::MemoryEntryLists()
    : m_boxes{MemoryTextBox(list_placeholder(ListId::Gumps)),
              MemoryTextBox(list_placeholder(ListId::Tiles)),
              MemoryTextBox(list_placeholder(ListId::Items))},
      m_fields{MemoryTextField(field_hint(ListId::Gumps)),
               MemoryTextField(field_hint(ListId::Tiles)),
               MemoryTextField(field_hint(ListId::Items))},
      m_text2(spacer_text(kGumpTileSpacerWidth)), m_text5(spacer_text(kItemSpacerWidth)),
      m_lists({&m_boxes[0], &m_boxes[1], &m_boxes[2], &m_fields[0], &m_fields[1], &m_fields[2],
               &m_text2, &m_text5})
{
}

} // namespace scp
