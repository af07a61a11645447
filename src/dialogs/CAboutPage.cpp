#include "dialogs/CAboutPage.h"

#include <QLabel>

#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

#ifndef BRINDLE_HOMEPAGE
#define BRINDLE_HOMEPAGE ""
#endif
#ifndef BRINDLE_LICENSE
#define BRINDLE_LICENSE ""
#endif

namespace {

constexpr ControlRow kControls[] = {
    {-1, ControlKind::GroupBox, "AboutGroup", "About this program", 7, 7, 290, 169},
    {-1, ControlKind::Label, "Version", "Brindle Version " BRINDLE_VERSION, 115, 18, 120, 8},
    {-1, ControlKind::Label, "AboutText", "", 49, 31, 222, 132},
};

constexpr int kIconSize = 32;

// A path that may wrap after any "/", where a long one would otherwise run out of the page.
QString WrappablePath(const std::string& path) {
  return DisplayText(path).toHtmlEscaped().replace('/', QStringLiteral("/\u200b"));
}

}  // namespace

CAboutPage::CAboutPage(const std::string& databaseDir, QWidget* parent) : QWidget(parent) {
  CreateWidgets(databaseDir);
}

QString CAboutPage::AboutText(const std::string& databaseDir) {
  const QString homePage = QStringLiteral(BRINDLE_HOMEPAGE);
  QString text = QStringLiteral(
      "<p>Brindle keeps your SNES ROM images and game patches, translations and hacks alike, in "
      "one list, and plays any patch through ZSNES, RetroArch (bsnes-mercury), Mednafen or "
      "another emulator of your choice, without ever writing a patched copy of a ROM to your "
      "disk.</p>"
      "<p>It reads IPS, BPS and UPS patches. The emulator applies the patch in memory as it "
      "loads the ROM, and every patch keeps its own saves in its folder. Choose the emulator on "
      "the emulator page of these options.</p>");
  text += QStringLiteral("<p>Your list and settings are kept in:<br>%1</p>")
              .arg(WrappablePath(databaseDir + "/brindle.dat"));
  if (!QStringLiteral(BRINDLE_LICENSE).isEmpty())
    text += QStringLiteral("<p>Licence: %1").arg(QStringLiteral(BRINDLE_LICENSE).toHtmlEscaped());
  if (!homePage.isEmpty())
    text += QStringLiteral("<br>Home page: <a href=\"%1\">%1</a>").arg(homePage.toHtmlEscaped());
  return text + QStringLiteral("</p>");
}

void CAboutPage::CreateWidgets(const std::string& databaseDir) {
  CreateControls(*this, kControls);
  auto* about = findChild<QLabel*>("AboutText");
  about->setTextFormat(Qt::RichText);
  about->setWordWrap(true);
  about->setOpenExternalLinks(true);
  about->setTextInteractionFlags(Qt::TextBrowserInteraction);
  about->setText(AboutText(databaseDir));
  auto* icon = new QLabel(this);
  icon->setObjectName("AppIcon");
  icon->setPixmap(GetAppIcon().pixmap(kIconSize, kIconSize));
  const QRect place = CDialogUnits().ToPixels(17, 21, 0, 0);
  icon->setGeometry(place.x(), place.y(), kIconSize, kIconSize);
}
