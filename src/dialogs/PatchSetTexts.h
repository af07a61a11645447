#pragma once

#include <string>

class CPatchDB;

/// How a patch of a set is listed in the set's dialogs: its name and its file, or the file alone
/// when it is no longer installed.
std::string PatchSetEntryText(const CPatchDB& db, const std::string& filename);
