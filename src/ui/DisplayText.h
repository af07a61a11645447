#pragma once

#include <QString>
#include <string>
#include <string_view>

// The texts of brindle.dat, of patch-information files and of file names are bytes in no
// particular encoding: Japanese patch names often come in Shift-JIS, old European ones in
// Latin-1. They are shown as UTF-8 where they are valid UTF-8 and as Latin-1 otherwise, so that
// every byte stays visible; what the user types is stored as UTF-8.

QString DisplayText(std::string_view bytes);
std::string TypedBytes(const QString& text);
