#pragma once

#include <string>

// Folders and files made for the length of one play, beside what FileSystem offers.

/// Makes the folder `path`, which only this user may enter; fails when anything is there.
bool CreatePrivateFolder(const std::string& path, std::string* error = nullptr);

/// Removes an empty folder; a folder that is not there counts as removed. False, with `error`,
/// when it holds anything or cannot be removed; `notEmpty` (when given) says which.
bool RemoveEmptyFolder(const std::string& path, std::string* error = nullptr,
                       bool* notEmpty = nullptr);

/// Creates the file `path` with `bytes` and permissions for this user alone to write; never
/// replaces anything already there (a link that leads nowhere included).
bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* error = nullptr);
