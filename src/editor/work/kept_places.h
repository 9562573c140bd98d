#pragma once

// Where the editor keeps what outlives a run: its settings and the recovery
// journals. A copy with the file scpmaker.ini beside its program is
// portable: it keeps both in its own folder (that file, and the folder
// "recovery" beside it) and leaves nothing of itself on the machine it runs
// on. Any other copy keeps them where the platform keeps a user's.

#include <QString>

namespace scp {

inline constexpr char kPortableSettingsName[] = "scpmaker.ini";

struct KeptPlaces {
    QString settingsFile;  // empty: the platform's place for a user's settings
    QString journalFolder; // empty: no journal is kept
    QString problem;       // why a portable copy keeps nothing this run, to be said once
};

// The places for a program in `programFolder`. A portable copy whose folder
// cannot be written still reads its settings, but keeps no journal.
KeptPlaces keptPlaces(const QString& programFolder);

} // namespace scp
