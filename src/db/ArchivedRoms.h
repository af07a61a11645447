#pragma once

#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "db/RomRecord.h"
#include "platform/ArchivePath.h"
#include "platform/CArchiveReader.h"

// The database's side of ROMs kept in archives; CPatchDB's ROM operations call these for a path
// of the form "archive#member".

/// "Cannot add ROM to database:\n<path>\n\n<reason>".
std::string ArchiveRefusal(const std::string& path, const std::string& reason);
std::string UnreadableArchive(const std::string& path, const std::string& error);
std::string EncryptedArchive(const std::string& path);
/// Identifies the member `reader` stands at as the ROM `path`; empty, or the error refusing it.
std::string IdentifyArchiveMember(CArchiveReader& reader, const CArchiveReader::Member& member,
                                  const std::string& path, RomRecord& rom);
/// Identifies the member a path names; empty, or the error refusing it.
std::string ReadArchivedRom(const ArchiveMemberPath& where, const std::string& path,
                            RomRecord& rom);
/// Identifies each ROM member of the archive file at `path` (.smc, .sfc, .fig or .swc; the one
/// file of a .gz) in one pass, in the archive's order, each with its path "archive#member" as
/// its Filename; a damaged archive ends the list with the error that stopped it, and an archive
/// without ROMs gives that error alone.
std::vector<CPatchDB::RomRead> IdentifyArchiveRoms(const std::string& path);
/// The digest text of the member, or the invalid-handle text when it cannot be read.
std::string ArchivedFileHash(const ArchiveMemberPath& where);
/// Whether the archive opens and holds the member.
bool ArchiveMemberExists(const ArchiveMemberPath& where);
