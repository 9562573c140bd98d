#pragma once

// The main window's controls, each once: what it is, where it was drawn,
// what it says to a screen reader, where Tab reaches it and how it grows.

#include "script/entry_lists.h"
#include "windows/window_growth.h"

#include <QRect>
#include <QStringView>

#include <span>

namespace scp {

// What a control is, and so what it does.
enum class ControlKind {
    ListBox,      // the list's box
    EntryField,   // the list's entry field, holding its field names until typed over
    FieldLabel,   // a field's name over the entry field, read with it
    ProblemCount, // the list's problem count, in the strip over the list
    Add,          // the list's Add and Clear
    Clear,
    Load, // the large buttons in the middle row
    About,
    Save, // opens the save menu
};

struct WindowControl {
    QStringView name; // its objectName
    ControlKind kind;
    // A field label without one reads its list's field names, as the entry
    // field's hint does.
    QStringView caption;
    QRect drawn; // in pixels, from the twips it was drawn at
    // The list it serves, and whose column it keeps to as the window grows;
    // the large buttons keep their place by the items list.
    ListId list;
    QStringView accessibleName;
    QStringView accessibleDescription;
    int tabPosition; // 1 for the first that Tab reaches; 0 where it never stops
    WindowGrowth::Kind growth;
};

// In the order they are made, which is the order they stack in (the
// later over the earlier) until the labels are put under their fields.
std::span<const WindowControl> mainWindowControls();

// Captions read together take one size: the field names of one list, one
// list's Add and Clear, and the large buttons. The row `control`'s caption
// is read with, or -1 where it has none to fit.
int captionRow(const WindowControl& control);

} // namespace scp
