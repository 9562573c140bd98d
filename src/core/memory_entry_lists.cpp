#include "memory_entry_lists.h"

namespace scp {

MemoryEntryLists::MemoryEntryLists()
    : m_boxes{MemoryTextBox(listPlaceholder(ListId::Gumps)),
              MemoryTextBox(listPlaceholder(ListId::Tiles)),
              MemoryTextBox(listPlaceholder(ListId::Items))},
      m_fields{MemoryTextField(fieldHint(ListId::Gumps)), MemoryTextField(fieldHint(ListId::Tiles)),
               MemoryTextField(fieldHint(ListId::Items))},
      m_gumpTileSpacer(spacerText(kGumpTileSpacerWidth)),
      m_itemSpacer(spacerText(kItemSpacerWidth)),
      m_lists({EntryLists::List{&m_boxes[0], &m_fields[0], &m_gumpTileSpacer},
               EntryLists::List{&m_boxes[1], &m_fields[1], &m_gumpTileSpacer},
               EntryLists::List{&m_boxes[2], &m_fields[2], &m_itemSpacer}})
{
}

} // namespace scp
