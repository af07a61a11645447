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
/// Icon 156: the ROM list's row icon.
QIcon GetRomIcon();
/// Icon 148 at 48×48: the picture beside the patch buttons.
QPixmap GetPatchPicture();
/// Icon 156 at 48×48: the picture beside the ROM buttons.
QPixmap GetRomPicture();

/// The icons the .ips file type can show: FileIcon 1 is icon 148, 2 is icon 154, 3 is icon 155.
/// Any other choice gives a null icon.
QIcon GetFileTypeIcon(int fileIcon);
/// The 48×48 picture of that icon as a file beside the program (for the desktop's icon theme),
/// or an empty text for a choice outside 1 to 3.
std::string GetFileTypeIconFile(int fileIcon, int size = 48);
