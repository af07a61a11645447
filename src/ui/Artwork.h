#pragma once

#include <QIcon>
#include <QPixmap>
#include <string>

// The program's own icons and pictures, embedded in the executable. The numbers are the icon
// numbers the rest of the program and brindle.dat's FileIcon setting refer to.

/// Icon 128: the window's large and small icon.
QIcon GetAppIcon();
/// Icon 155: the patch list's row icon.
QIcon GetPatchIcon();
/// The patch list's row icon for a patch set: two patch icons, one over the other.
QIcon GetPatchSetIcon();
/// Icon 156: the ROM list's row icon.
QIcon GetRomIcon();
/// Icon 148 at 48×48: the picture beside the patch buttons.
QPixmap GetPatchPicture();
/// Icon 156 at 48×48: the picture beside the ROM buttons.
QPixmap GetRomPicture();

/// The icon the .ips file type shows for a FileIcon value, an index among the program's icons in
/// the order of their numbers: the Options offer 1 (icon 148), 2 (icon 154) and 3 (icon 155);
/// 0 is the application's icon and 4 the ROM icon. Any other value gives a null icon.
QIcon GetFileTypeIcon(int fileIcon);
/// The same icon as a PNG file in the icons folder beside the program (for the desktop's icon
/// theme), or an empty text for a value outside 0 to 4.
std::string GetFileTypeIconFile(int fileIcon, int size = 48);
