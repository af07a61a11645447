// The emulator page's fields for the other emulator: its command, the presets that fill it, and
// the patch formats it loads.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "db/EmulatorPresets.h"
#include "dialogs/CZsnesPage.h"
#include "platform/Flatpak.h"
#include "play/EmulatorCommand.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr ControlRow kOtherControls[] = {
    {-1, ControlKind::GroupBox, "OtherGroup", "Other emulator", 7, 23, 290, 51},
    {-1, ControlKind::Label, "OtherCommandLabel", "Command:", 14, 36, 51, 8},
    {CZsnesPage::kOtherCommand, ControlKind::Edit, "OtherCommand", "", 69, 34, 150, 14},
    {CZsnesPage::kOtherPreset, ControlKind::DropDownList, "OtherPreset", "", 222, 34, 71, 80},
    {-1, ControlKind::Label, "OtherFormatsLabel", "Patches:", 14, 55, 51, 8},
    {CZsnesPage::kOtherIps, ControlKind::CheckBox, "OtherIps", "IPS", 69, 54, 30, 10},
    {CZsnesPage::kOtherBps, ControlKind::CheckBox, "OtherBps", "BPS", 104, 54, 30, 10},
    {CZsnesPage::kOtherUps, ControlKind::CheckBox, "OtherUps", "UPS", 139, 54, 30, 10},
    {-1, ControlKind::Label, "OtherCommandHint", "The command needs %ROM%.", 176, 55, 117, 8},
    {-1, ControlKind::Label, "OtherNote",
     "For each play Brindle puts a link to the ROM, named after the patch, beside the patch: "
     "the emulator loads the patch from there and names its saves after it. %PATCH%, %PATCHDIR% "
     "and %BASENAME% stand for the patch, its folder and its name.",
     13, 110, 277, 27},
};

constexpr PatchFormat kFormats[] = {PatchFormat::Ips, PatchFormat::Bps, PatchFormat::Ups};

// The list's text for a preset: how it was found, or that it was not.
QString PresetText(const EmulatorPreset& preset, const std::string& command) {
  const QString name = QString::fromUtf8(preset.name);
  if (command.empty())
    return name + " (not found)";
  const auto words = SplitCommandWords(command);
  return words && !FlatpakAppOfCommand(*words).empty() ? name + " (Flatpak)" : name;
}

}  // namespace

void CZsnesPage::CreateOtherWidgets() {
  CreateControls(*this, kOtherControls);
  m_otherCommand = findChild<QLineEdit*>("OtherCommand");
  m_otherPreset = findChild<QComboBox*>("OtherPreset");
  m_commandHint = findChild<QLabel*>("OtherCommandHint");
  m_otherFormats[0] = findChild<QCheckBox*>("OtherIps");
  m_otherFormats[1] = findChild<QCheckBox*>("OtherBps");
  m_otherFormats[2] = findChild<QCheckBox*>("OtherUps");
  m_otherPreset->setPlaceholderText("Presets");
  findChild<QLabel*>("OtherNote")->setWordWrap(true);
}

void CZsnesPage::LoadOtherFields(const EmulatorForm& form, const InstalledEmulators& installed) {
  const QSignalBlocker block(m_otherPreset);
  m_presetCommands = installed.presetCommands;
  m_presetCommands.resize(EmulatorPresets().size());
  for (size_t i = 0; i < EmulatorPresets().size(); ++i)
    m_otherPreset->addItem(PresetText(EmulatorPresets()[i], m_presetCommands[i]));
  m_otherPreset->setCurrentIndex(-1);
  m_otherCommandShown = form.otherCommand;
  m_otherCommand->setText(DisplayText(form.otherCommand));
  const std::vector<PatchFormat> formats = ParseOtherFormats(form.otherFormats);
  for (int i = 0; i < 3; ++i) {
    m_otherFormats[i]->setChecked(std::find(formats.begin(), formats.end(), kFormats[i]) !=
                                  formats.end());
  }
  ShowCommandHint();
}

void CZsnesPage::ConnectOtherFields() {
  bool* edited = &m_edited[static_cast<int>(EmulatorKind::Other)];
  connect(m_otherCommand, &QLineEdit::textEdited, this, [edited] { *edited = true; });
  connect(m_otherCommand, &QLineEdit::textChanged, this, &CZsnesPage::ShowCommandHint);
  for (QCheckBox* box : m_otherFormats)
    connect(box, &QCheckBox::clicked, this, [edited] { *edited = true; });
  connect(m_otherPreset, &QComboBox::activated, this, &CZsnesPage::ApplyPreset);
  connect(m_emulator, &QComboBox::currentIndexChanged, this, &CZsnesPage::ShowCommandHint);
}

void CZsnesPage::ApplyPreset(int index) {
  if (index < 0 || index >= static_cast<int>(EmulatorPresets().size()))
    return;
  const EmulatorPreset& preset = EmulatorPresets()[index];
  // A preset that was not found is filled with its usual program name, for PATH to find later.
  const std::string& found = m_presetCommands[index];
  m_otherCommandShown = found.empty() ? PresetCommand(preset, preset.programs.front()) : found;
  m_otherCommand->setText(DisplayText(m_otherCommandShown));
  for (int i = 0; i < 3; ++i) {
    m_otherFormats[i]->setChecked(std::find(preset.formats.begin(), preset.formats.end(),
                                            kFormats[i]) != preset.formats.end());
  }
  m_edited[static_cast<int>(EmulatorKind::Other)] = true;
}

void CZsnesPage::ShowCommandHint() {
  const auto words = SplitCommandWords(OtherCommandBytes());
  m_commandHint->setVisible(m_emulator->currentIndex() == static_cast<int>(EmulatorKind::Other) &&
                            !m_otherCommand->text().isEmpty() &&
                            (!words || !HasRomPlaceholder(*words)));
}

std::string CZsnesPage::OtherCommandBytes() const {
  return TextBytes(m_otherCommand->text(), m_otherCommandShown);
}

std::string CZsnesPage::OtherFormatsValue() const {
  std::vector<PatchFormat> formats;
  for (int i = 0; i < 3; ++i) {
    if (m_otherFormats[i]->isChecked())
      formats.push_back(kFormats[i]);
  }
  return OtherFormatsSetting(formats);
}
