#include "dialogs/CRomOptionsPage.h"

#include <QCheckBox>

#include "db/CPatchDB.h"
#include "ui/DialogLayout.h"

namespace {

constexpr ControlRow kControls[] = {
    {-1, ControlKind::GroupBox, "RomHandling", "ROM Handling Options", 7, 7, 290, 145},
    {CRomOptionsPage::kIgnoreHash, ControlKind::CheckBox, "IgnoreHash", "Do not check MD5 digests",
     19, 23, 101, 10},
    // Each explanation is one paragraph in one label, over the places of the two parts it was
    // written in, so that it wraps as one text whatever the font.
    {-1, ControlKind::Label, "IgnoreHashNote",
     "If this option is enabled, the MD5 digest of a ROM will not be checked when it is patched.  "
     "This reduces the amount of disk access occurring before a patch is run, resulting in a "
     "shorter delay.  However, Brindle cannot detect if the "
     "contents of the ROM have changed since it was installed in the database, which may have "
     "catastrophic effects when playing.",
     19, 36, 252, 43},
    {CRomOptionsPage::kIgnoreParens, ControlKind::CheckBox, "IgnoreParens",
     "Ignore parentheses in ROM names", 19, 91, 125, 10},
    {-1, ControlKind::Label, "IgnoreParensNote",
     "This option causes anything in parentheses to be removed from ROM names, mainly to deal "
     "with games like EarthBound that have various dumps floating around with different names. "
     "With this enabled, \"EARTH BOUND\" and "
     "\"EARTH BOUND (J)\" are considered to be the same ROM.",
     19, 106, 252, 32},
    {-1, ControlKind::GroupBox, "Separator", "", 7, 159, 290, 17},
};

}  // namespace

CRomOptionsPage::CRomOptionsPage(const CPatchDB& db, QWidget* parent) : QWidget(parent) {
  CreateWidgets();
  LoadFields(db);
}

void CRomOptionsPage::CreateWidgets() {
  CreateControls(*this, kControls);
  m_ignoreHash = findChild<QCheckBox*>("IgnoreHash");
  m_ignoreParens = findChild<QCheckBox*>("IgnoreParens");
}

void CRomOptionsPage::LoadFields(const CPatchDB& db) {
  m_ignoreHash->setChecked(db.IgnoreHash);
  m_ignoreParens->setChecked(db.IgnoreParens);
}

void CRomOptionsPage::Store(CPatchDB& db) const {
  db.IgnoreHash = m_ignoreHash->isChecked();
  db.IgnoreParens = m_ignoreParens->isChecked();
}
