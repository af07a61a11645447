#pragma once

#include <optional>
#include <string>
#include <vector>

// Emulators installed as Flatpaks: their exported launchers, and which of the user's files their
// sandbox may read.

/// Flatpak's installations, the user's first, as Flatpak itself finds them: $FLATPAK_USER_DIR
/// (default $XDG_DATA_HOME/flatpak, that is ~/.local/share/flatpak) and $FLATPAK_SYSTEM_DIR
/// (default /var/lib/flatpak).
std::vector<std::string> FlatpakInstallations();

/// The launcher an installation exports for an app (<installation>/exports/bin/<app id>), the
/// first installation that has it; empty when none does.
std::string FindFlatpakLauncher(const std::string& appId);

/// The app a command starts, when it starts a Flatpak: an exported launcher (named after its
/// app) or "flatpak run [options] <app id>"; empty otherwise.
std::string FlatpakAppOfCommand(const std::vector<std::string>& words);

/// What the app's sandbox may see of the user's files: the filesystems of its metadata's
/// [Context] group, with the overrides of both installations applied ("!" entries take one
/// away). nullopt when the app's metadata is in no installation.
std::optional<std::vector<std::string>> FlatpakFilesystems(const std::string& appId);

enum class FlatpakAccess { None, Read, ReadWrite };

/// What a sandbox with `filesystems` (entries as Flatpak writes them: "home", "host",
/// "~/Games:ro", "xdg-download", "/media"...) may do with `path` (absolute; where its links lead
/// counts). `home` is the user's home folder. The app's own data folder is always open to it.
FlatpakAccess FlatpakAccessTo(const std::vector<std::string>& filesystems, const std::string& appId,
                              const std::string& path, const std::string& home);
