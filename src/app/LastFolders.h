#pragma once

#include <QString>

// The folder each kind of file dialog of the window last took its file or folder from, kept in
// the user's settings ($XDG_CONFIG_HOME/brindle/brindle.conf), not in the database: it is the
// desktop's business, not the collection's.

/// Where a dialog of this kind ("Patch", "Rom", "AddFolder") opens: the folder last used for it
/// when it still exists, else the home folder.
QString StartFolder(const char* kind);
/// Remembers the folder a dialog of this kind was last used in.
void RememberFolder(const char* kind, const QString& folder);
