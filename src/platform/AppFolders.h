#pragma once

#include <string>

// The program's two folders. Its own files (window backgrounds, page icons: what "%app%" in a
// background setting stands for) are found from the executable. Its database, brindle.dat, and
// everything written beside it are kept either beside the executable (a portable copy) or in
// the user's data folder (an installed program, whose folder the user cannot write).

/// The folder of the program's own files, without a trailing "/": `../share/brindle` from the
/// executable's folder when that exists (an installed copy), else the executable's folder.
std::string GetAppDir();

/// The folder of brindle.dat, without a trailing "/": the executable's folder when a
/// `portable.txt` or a `brindle.dat` is there, else `$XDG_DATA_HOME/brindle` (with
/// `~/.local/share` for an unset or relative `$XDG_DATA_HOME`). Nothing is created.
std::string GetDatabaseDir();

/// The user guide's first page: `doc/index.html` beside the executable (a build), else
/// `../share/doc/brindle/index.html` from it (an installed copy); the latter when neither is
/// there.
std::string GetUserGuidePath();
