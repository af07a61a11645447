#include "dialogs/CAboutPage.h"

#include <QLabel>

#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"

namespace {

constexpr ControlRow kControls[] = {
    {-1, ControlKind::GroupBox, "AboutGroup", "About this program", 7, 7, 290, 169},
    {-1, ControlKind::Label, "Version", "Brindle Version 1.1", 115, 18, 71, 8},
    {-1, ControlKind::Label, "AboutText",
     "Brindle keeps your SNES ROM images and IPS patches, translations and hacks alike, in one "
     "small database beside the program, and plays any patch through ZSNES without ever writing "
     "a patched copy of a ROM.\n\n"
     "To play a patch, Brindle finds the ROM it was made for and checks the ROM's MD5 digest. It "
     "then points ZSNES's save directory at the patch's folder and gives the ROM the patch's name "
     "for the length of one game, so that ZSNES applies the patch as it loads. When ZSNES closes, "
     "everything is put back as it was.\n\n"
     "Install ROMs and patches from the main window, or open an .ips file from your file manager "
     "to play it. Everything Brindle knows, these options included, is kept in brindle.dat.",
     49, 31, 222, 132},
};

constexpr int kIconSize = 32;

}  // namespace

CAboutPage::CAboutPage(QWidget* parent) : QWidget(parent) {
  CreateWidgets();
}

void CAboutPage::CreateWidgets() {
  CreateControls(*this, kControls);
  auto* icon = new QLabel(this);
  icon->setObjectName("AppIcon");
  icon->setPixmap(GetAppIcon().pixmap(kIconSize, kIconSize));
  const QRect place = CDialogUnits().ToPixels(17, 21, 0, 0);
  icon->setGeometry(place.x(), place.y(), kIconSize, kIconSize);
}
