#include "ui/DialogLayout.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "ui/CDialogUnits.h"

namespace {

constexpr ControlRow kTable[] = {
    {1001, ControlKind::GroupBox, "Target", "Target ROM", 5, 80, 330, 30},
    {-1, ControlKind::Label, "NameLabel", "&Name:", 7, 9, 40, 8},
    {-1, ControlKind::SunkenLabel, "Status", "  Installed ROMs", 67, 136, 402, 11},
    {1016, ControlKind::Edit, "PatchName", "a & b", 52, 7, 120, 12},
    {1012, ControlKind::MultiLineEdit, "Description", "", 7, 30, 200, 40},
    {1015, ControlKind::ReadOnlyEdit, "Filename", "/p/a.ips", 7, 72, 200, 12},
    {1013, ControlKind::DropDownList, "RomSize", "", 220, 92, 60, 100},
    {1028, ControlKind::DropDownCombo, "Background", "", 15, 99, 141, 30},
    {-1, ControlKind::Label, "Note", "Two lines of text.", 178, 58, 113, 25},
    {1020, ControlKind::CheckBox, "Header", "&Header", 289, 92, 39, 10},
    {1, ControlKind::DefaultPushButton, "Ok", "OK", 249, 201, 50, 14},
    {2, ControlKind::PushButton, "Cancel", "Cancel", 302, 201, 50, 14},
    {1028, ControlKind::FlatButton, "PlayPatch", "Play Patch", 7, 49, 55, 12},
    {-1, ControlKind::EtchedLine, "Line", "", 8, 45, 55, 1},
    {1050, ControlKind::Slider, "Speed", "", 7, 120, 100, 15},
};

}  // namespace

TEST(DialogLayout, CreatesEachKindNamedAndPlacedInDialogUnits) {
  QDialog dialog;
  const std::vector<QWidget*> controls = CreateControls(dialog, kTable, 20);
  ASSERT_EQ(controls.size(), std::size(kTable));
  const CDialogUnits units;
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlRow& row = kTable[i];
    EXPECT_EQ(controls[i]->parentWidget(), &dialog);
    EXPECT_EQ(dialog.findChild<QWidget*>(row.objectName), controls[i]) << row.objectName;
    EXPECT_EQ(ControlId(*controls[i]), row.id);
    QRect expected = units.ToPixels(row.x, row.y, row.width, row.height).translated(0, 20);
    // The table gives a drop-down list the height of the open list.
    if (row.kind == ControlKind::DropDownList || row.kind == ControlKind::DropDownCombo)
      expected.setHeight(controls[i]->sizeHint().height());
    if (row.kind != ControlKind::EtchedLine) {
      EXPECT_EQ(controls[i]->geometry(), expected) << row.objectName;
    }
  }
  EXPECT_EQ(dialog.findChild<QGroupBox*>("Target")->title(), "Target ROM");
  EXPECT_EQ(dialog.findChild<QLabel*>("NameLabel")->text(), "&Name:");
  EXPECT_EQ(dialog.findChild<QLabel*>("Status")->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(dialog.findChild<QLineEdit*>("PatchName")->text(), "a & b");
  EXPECT_FALSE(dialog.findChild<QLineEdit*>("PatchName")->isReadOnly());
  EXPECT_NE(dialog.findChild<QPlainTextEdit*>("Description"), nullptr);
  const auto* filename = dialog.findChild<QLineEdit*>("Filename");
  EXPECT_TRUE(filename->isReadOnly());
  EXPECT_EQ(filename->palette().color(QPalette::Base), dialog.palette().color(QPalette::Window));
  EXPECT_FALSE(dialog.findChild<QComboBox*>("RomSize")->isEditable());
  EXPECT_TRUE(dialog.findChild<QComboBox*>("Background")->isEditable());
  EXPECT_FALSE(dialog.findChild<QLabel*>("NameLabel")->wordWrap());
  EXPECT_TRUE(dialog.findChild<QLabel*>("Note")->wordWrap());
  EXPECT_EQ(dialog.findChild<QCheckBox*>("Header")->text(), "&Header");
  EXPECT_TRUE(dialog.findChild<QPushButton*>("Ok")->isDefault());
  EXPECT_FALSE(dialog.findChild<QPushButton*>("Cancel")->isDefault());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("PlayPatch")->isFlat());
  EXPECT_FALSE(dialog.findChild<QPushButton*>("PlayPatch")->autoDefault());
  EXPECT_GE(dialog.findChild<QFrame*>("Line")->height(), 2);
  EXPECT_EQ(dialog.findChild<QSlider*>("Speed")->orientation(), Qt::Horizontal);
  EXPECT_EQ(ControlId(dialog), -1);
}
