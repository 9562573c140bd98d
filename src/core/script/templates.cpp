// The script's fixed blocks, byte for byte.

#include "script/templates.h"

#include "script/project_contacts.h"

#include <QStringList>

namespace scp {

namespace {

using namespace Qt::StringLiterals;

// Each block is written one line per source line and gets its CR LF here, so
// no line can lose its line end by a slip. Trailing spaces and tabs are part
// of the text the patching tool has always seen: keep them.
QString blockOfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n"_s;
    }
    return text;
}

QString headBlock(const PatchInfo* info)
{
    const QString mail = QString::fromLatin1(contacts::kAuthorMail);
    const QString contact = QString::fromLatin1(contacts::kContactNumber);
    // The patch's own lines, or the template's: its mail line has always run
    // over two lines, and its patch has always been a server's.
    const QStringList scriptInfo =
        info != nullptr
            ? QStringList{u"NAME "_s + info->name, u"CREATOR "_s + info->creator,
                          u"EMAIL "_s + info->email}
            : QStringList{
                  u"NAME The Mantle Patch v1.0"_s,
                  u"CREATOR The scpmaker developers"_s,
                  u"EMAIL scripts@example.org , patches@example.org , tiles@example.org "_s,
                  u"& items@example.org"_s,
              };
    const QString godwalk = info != nullptr && !info->server ? u"0"_s : u"1"_s;
    // The banner's closing "//" stand where they always stood: 5, 19 and 58
    // spaces after the text of lines 2 to 4, 41 after the mail address, 63
    // after the contact number; lines 1 and 7 differ in the spaces before "//".
    // Line 15 ends with one space.
    // clang-format off
    return blockOfLines({
        u"// ;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;  //"_s,
        u"// MADE BY MOONRAKES MANTLE.SCP MAKER     //"_s,
        u"//THANK YOU FOR USING MY PROGRAM                   //"_s,
        u"//MOONRAKE                                                          //"_s,
        u"//Mail="_s + mail + u"                                         //"_s,
        u"//Icq="_s + contact + u"                                                               //"_s,
        u"// ;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;; //"_s,
        u"SECTION SCRIPTINFO"_s,
        u"///////////////////////////////////////////////"_s,
        u"// This will be put into the created verdata //"_s,
        u"///////////////////////////////////////////////"_s,
        u"{"_s,
    }) + blockOfLines(scriptInfo) + blockOfLines({
        u"}"_s,
        u""_s,
        u"SECTION GODWALK"_s,
        u"{"_s,
        u"////////////////////////////////////"_s,
        u"// *** CLIENT = 0; SERVER = 1 *** //"_s,
        u"////////////////////////////////////"_s,
        godwalk,
        u"}"_s,
        u""_s,
        u"//////////////////////////////////////////////////////////////////////////////////"_s,
        u"// if you don't know how to find the width/height of a .bmp, open mspaint\t//"_s,
        u"// and click image, then attributes \t\t\t\t\t\t//"_s,
        u"//\t\t\t\t\t\t\t\t\t\t//"_s,
        u"// *** hexid filename.bmp WIDTHofimage HEIGHTofimage ***\t\t\t//"_s,
        u"//////////////////////////////////////////////////////////////////////////////////"_s,
        u""_s,
        u"SECTION TILES"_s,
        u"{"_s,
    });
    // clang-format on
}

QString gumpsHeadText()
{
    // "hieght" is how the script has always spelled it.
    // clang-format off
    return blockOfLines({
        u"}"_s,
        u""_s,
        u"//////////////////////////////////////////////////"_s,
        u"// hexid filename.bmp width hieght\t\t//"_s,
        u"//\t\t\t\t\t\t//"_s,
        u"// if gump is going to be equipable then:\t//"_s,
        u"// hexid = (50000 + animation hex) for male\t//"_s,
        u"// hexid = (60000 + animation hex) for female\t//"_s,
        u"//////////////////////////////////////////////////"_s,
        u""_s,
        u"SECTION GUMPS"_s,
        u"{"_s,
    });
    // clang-format on
}

QString itemsHeadText()
{
    // The spelling ("Annimation", "doesnt", "wont", "sircoat") and the six
    // tabs after the closing "//" of line 11 are the script's own.
    // clang-format off
    return blockOfLines({
        u"}"_s,
        u""_s,
        u""_s,
        u"//////////////////////////////////////////////////////////////////////////////////"_s,
        u"// itemhex flag1 flag2 flag3 flag4 weight layer animation height itemName\t//"_s,
        u"//\t\t\t\t\t\t\t\t\t\t//"_s,
        u"// Annimation: If the Item you are adding doesnt have a annimation then \t//"_s,
        u"// you must assign it a UNUSED annimation slot or it wont work. Also only \t//"_s,
        u"// one unused slot can be used PER item and items can not have the same \t//"_s,
        u"// annimation assigned to it or it will not work.\t\t\t\t//"_s,
        u"//\t\t\t\t\t\t\t\t\t\t//\t\t\t\t\t\t"_s,
        u"// Layers:\t\t\t\t\t\t\t\t\t//"_s,
        u"// 1 - One handed weapon \t\t\t\t\t\t\t//"_s,
        u"// 2 - Two handed weapon, shield, or misc. \t\t\t\t\t//"_s,
        u"// 3 - Shoes \t\t\t\t\t\t\t\t\t//"_s,
        u"// 4 - Pants \t\t\t\t\t\t\t\t\t//"_s,
        u"// 5 - Shirt \t\t\t\t\t\t\t\t\t//"_s,
        u"// 6 - Helm/Hat \t\t\t\t\t\t\t\t//"_s,
        u"// 7 - Gloves \t\t\t\t\t\t\t\t\t//"_s,
        u"// 8 - Ring \t\t\t\t\t\t\t\t\t//"_s,
        u"// 9 - Unused \t\t\t\t\t\t\t\t\t//"_s,
        u"// 10 - Neck \t\t\t\t\t\t\t\t\t//"_s,
        u"// 11 - Hair \t\t\t\t\t\t\t\t\t//"_s,
        u"// 12 - Waist (half apron) \t\t\t\t\t\t\t//"_s,
        u"// 13 - Torso (inner) (chest armor) \t\t\t\t\t\t//"_s,
        u"// 14 - Bracelet \t\t\t\t\t\t\t\t//"_s,
        u"// 15 - Unused (backpack, but backpacks go to 21) \t\t\t\t//"_s,
        u"// 16 - Facial Hair \t\t\t\t\t\t\t\t//"_s,
        u"// 17 - Torso (middle) (sircoat, tunic, full apron, sash) \t\t\t//"_s,
        u"// 18 - Earrings \t\t\t\t\t\t\t\t//"_s,
        u"// 19 - Arms \t\t\t\t\t\t\t\t\t//"_s,
        u"// 20 - Back (cloak) \t\t\t\t\t\t\t\t//"_s,
        u"// 21 - Backpack \t\t\t\t\t\t\t\t//"_s,
        u"// 22 - Torso (outer) (robe) \t\t\t\t\t\t\t//"_s,
        u"// 23 - Legs (outer) (skirt/kilt) \t\t\t\t\t\t//"_s,
        u"// 24 - Legs (inner) (leg armor) \t\t\t\t\t\t//"_s,
        u"// 25 - Mount (horse, ostard, etc) \t\t\t\t\t\t//"_s,
        u"// 26 - NPC Buy Restock container \t\t\t\t\t\t//"_s,
        u"// 27 - NPC Buy no restock container \t\t\t\t\t\t//"_s,
        u"// 28 - NPC Sell container \t\t\t\t\t\t\t//"_s,
        u"// 29 - Bank Box \t\t\t\t\t\t\t\t//"_s,
        u"//////////////////////////////////////////////////////////////////////////////////"_s,
        u"SECTION ITEMS"_s,
        u"{"_s,
    });
    // clang-format on
}

QString tailText()
{
    // clang-format off
    return blockOfLines({
        u"}"_s,
        u""_s,
        u"HUESTART"_s,
        u"///////////////////////////"_s,
        u"// Dont remove this line //"_s,
        u"///////////////////////////"_s,
        u"{"_s,
        u"}"_s,
        u"EOF"_s,
        u"///////////////////////////"_s,
        u"// Dont remove this line //"_s,
        u"///////////////////////////"_s,
    });
    // clang-format on
}

// The gap between a template block and a list: two line ends.
QString gapText()
{
    return blockOfLines({u""_s, u""_s});
}

// Built once on first use; every later call hands out a shared copy.
struct Blocks {
    QString head = headBlock(nullptr);
    QString gumpsHead = gumpsHeadText();
    QString itemsHead = itemsHeadText();
    QString tail = tailText();
    QString gap = gapText();
};

const Blocks& blocks()
{
    static const Blocks built;
    return built;
}

} // namespace

QString headText(const std::optional<PatchInfo>& info)
{
    return info ? headBlock(&*info) : blocks().head;
}

QString templateText(Block block)
{
    const Blocks& all = blocks();
    switch (block) {
    case Block::Head:
        return all.head;
    case Block::GumpsHead:
        return all.gumpsHead;
    case Block::ItemsHead:
        return all.itemsHead;
    case Block::Tail:
        return all.tail;
    case Block::Gap:
        return all.gap;
    }
    return {};
}

} // namespace scp
