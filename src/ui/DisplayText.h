#pragma once

#include <QString>
#include <string>
#include <string_view>

// The texts of brindle.dat, of patch-information files and of file names are bytes in no
// particular encoding: Japanese patch names often come in Shift-JIS, old European ones in
// Latin-1. They are shown as UTF-8 where they are valid UTF-8 and as Latin-1 otherwise, so that
// every byte stays visible. A field gives back the bytes it was shown from while its text is
// unchanged; an edited text is encoded in the form its bytes were shown in, so that the names
// the user did not touch keep their bytes.

QString DisplayText(std::string_view bytes);
/// What a field shown from `shownFrom` holds as bytes now that it reads `text`.
std::string TextBytes(const QString& text, std::string_view shownFrom);

/// A path shown name by name: each name between "/" as DisplayText shows it, so that one name in
/// Latin-1 does not turn the others into Latin-1 as well.
QString PathText(std::string_view bytes);
/// The bytes of a path typed into a field shown from `shownFrom` (by PathText). Each name keeps
/// the bytes of a name it matches, looked for among the names of `shownFrom` and then among the
/// entries of the folder it is typed in (taken inside `base` when relative, "~" being the home
/// folder); a new name is encoded as TextBytes would.
std::string PathBytes(const QString& text, std::string_view shownFrom,
                      const std::string& base = {});
