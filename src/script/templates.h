#pragma once

#include <QString>

namespace scp {

enum class Block { Parca1, Parca2, Parca3, Parca4, Bosluk };

// The fixed text of one block, exactly as the patching tool expects it:
// CR LF after every line, tabs as tabs, plain ASCII.
QString template_text(Block block);

// The project's own values shown in the banner and the About window's links.
namespace project {
inline constexpr char kAuthorMail[] = "scpmaker@example.org";
inline constexpr char kContactNumber[] = "100200300";
} // namespace project

} // namespace scp
