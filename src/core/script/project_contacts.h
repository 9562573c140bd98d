#pragma once

// The project's own addresses, as the script's banner and the About window
// give them.

namespace scp::contacts {

// The project's own addresses: the script's banner shows the mail address
// and the contact number, the About window links to all four. None holds a
// space, so each link's command text stays "start" and one word.
inline constexpr char kAuthorMail[] = "scpmaker@example.org";
inline constexpr char kContactNumber[] = "100200300";
inline constexpr char kWebPage[] = "scpmaker.example.org/"; // host and path
inline constexpr char kDirectoryHost[] = "directory.example.org";

} // namespace scp::contacts
