// The main window's controls as it was drawn.

#include "windows/main_window_controls.h"

#include "windows/twips_layout.h"

#include <array>

namespace scp {

namespace {

using enum ControlKind;
using enum ListId;
using enum WindowGrowth::Kind;

constexpr QStringView kListHelp = u"The Menu key opens its copy menu";
constexpr QStringView kFieldHelp = u"Enter adds it to the list";

// clang-format off
constexpr std::array kControls{
    // name, kind, caption, rectangle in twips, list, accessible name and description,
    // tab position, growth
    WindowControl{u"loadButton", Load, u"Load", twips(4080, 5160, 1095, 615), Items,
        u"Load", u"Replaces the three lists with the section files", 1, Below},
    WindowControl{u"gumpsList", ListBox, {}, twips(0, 240, 2655, 3975), Gumps,
        u"Gumps list", kListHelp, 2, List},
    WindowControl{u"newGumpEntry", EntryField, {}, twips(0, 4680, 2655, 375), Gumps,
        u"New gump entry", kFieldHelp, 3, Below},
    WindowControl{u"addGumpButton", Add, u"Add", twips(120, 5160, 495, 375), Gumps,
        u"Add gump", {}, 4, Below},
    WindowControl{u"clearGumpsButton", Clear, u"Clear", twips(720, 5160, 495, 375), Gumps,
        u"Clear gumps", {}, 5, Below},
    WindowControl{u"tilesList", ListBox, {}, twips(2760, 240, 3135, 3975), Tiles,
        u"Tiles list", kListHelp, 6, List},
    WindowControl{u"itemsList", ListBox, {}, twips(6000, 240, 6135, 3975), Items,
        u"Items list", kListHelp, 7, List},
    WindowControl{u"gumpIdLabel", FieldLabel, u"HexID", twips(0, 4440, 615, 375), Gumps,
        {}, {}, 0, Below},
    WindowControl{u"gumpFileLabel", FieldLabel, u"Filename.bmp", twips(600, 4440, 975, 375), Gumps,
        {}, {}, 0, Below},
    WindowControl{u"gumpWidthLabel", FieldLabel, u"Width", twips(1680, 4440, 615, 375), Gumps,
        {}, {}, 0, Below},
    WindowControl{u"gumpHeightLabel", FieldLabel, u"Height", twips(2160, 4440, 495, 255), Gumps,
        {}, {}, 0, Below},
    WindowControl{u"clearTilesButton", Clear, u"Clear", twips(3480, 5160, 495, 375), Tiles,
        u"Clear tiles", {}, 8, Below},
    WindowControl{u"addTileButton", Add, u"Add", twips(2880, 5160, 495, 375), Tiles,
        u"Add tile", {}, 9, Below},
    WindowControl{u"newTileEntry", EntryField, {}, twips(2880, 4680, 2655, 375), Tiles,
        u"New tile entry", kFieldHelp, 10, Below},
    WindowControl{u"tileHeightLabel", FieldLabel, u"Height", twips(5040, 4440, 495, 255), Tiles,
        {}, {}, 0, Below},
    WindowControl{u"tileWidthLabel", FieldLabel, u"Width", twips(4560, 4440, 615, 375), Tiles,
        {}, {}, 0, Below},
    WindowControl{u"tileFileLabel", FieldLabel, u"Filename.bmp", twips(3480, 4440, 975, 375), Tiles,
        {}, {}, 0, Below},
    WindowControl{u"tileIdLabel", FieldLabel, u"HexID", twips(2880, 4440, 615, 375), Tiles,
        {}, {}, 0, Below},
    WindowControl{u"clearItemsButton", Clear, u"Clear", twips(9240, 5160, 495, 375), Items,
        u"Clear items", {}, 11, Below},
    WindowControl{u"addItemButton", Add, u"Add", twips(9840, 5160, 495, 375), Items,
        u"Add item", {}, 12, Below},
    WindowControl{u"newItemEntry", EntryField, {}, twips(6120, 4680, 5295, 375), Items,
        u"New item entry", kFieldHelp, 13, Below},
    WindowControl{u"itemFieldsLabel", FieldLabel, {}, twips(6120, 4440, 5295, 375), Items,
        {}, {}, 0, Below},
    WindowControl{u"aboutButton", About, u"ABOUT", twips(5280, 5160, 1095, 615), Items,
        u"About", {}, 14, Below},
    WindowControl{u"saveButton", Save, u"Save", twips(6480, 5160, 1095, 615), Items,
        u"Save", u"Opens the save menu", 15, Below},
    // In the strips over the lists, left empty by the window's drawing.
    WindowControl{u"gumpsProblems", ProblemCount, {}, twips(0, 0, 2655, 240), Gumps,
        {}, {}, 0, Above},
    WindowControl{u"tilesProblems", ProblemCount, {}, twips(2760, 0, 3135, 240), Tiles,
        {}, {}, 0, Above},
    WindowControl{u"itemsProblems", ProblemCount, {}, twips(6000, 0, 6135, 240), Items,
        {}, {}, 0, Above},
};
// clang-format on

} // namespace

std::span<const WindowControl> mainWindowControls()
{
    return kControls;
}

int captionRow(const WindowControl& control)
{
    switch (control.kind) {
    case FieldLabel:
        return int(control.list);
    case Add:
    case Clear:
        return WindowGrowth::kColumns + int(control.list);
    case Load:
    case About:
    case Save:
        return 2 * WindowGrowth::kColumns;
    default:
        return -1;
    }
}

} // namespace scp
