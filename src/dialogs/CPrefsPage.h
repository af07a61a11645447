#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <string>

class CIconBar;
class CPatchDB;
class QCheckBox;
class QComboBox;
class QSlider;

/// The Options dialog's Preferences page: the main window's behaviour and looks, the .ips file
/// icon and patch editing.
class CPrefsPage final : public QWidget {
  Q_OBJECT

 public:
  enum Control {
    kAllowEdit = 1022,
    kWindowBackground = 1028,
    kAlwaysOpenGui = 1036,
    kRegisterAtStartup = 1037,
    kGridLines = 1038,
    kTransition = 1039,
    kTransSpeed = 1046,
  };

  CPrefsPage(const CPatchDB& db, QWidget* parent);

  /// Writes the page into the settings.
  void Store(CPatchDB& db) const;

  CIconBar* FileIconBar() const { return m_fileIcons; }

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db);
  void ConnectWidgets();

  QCheckBox* m_alwaysOpenGui = nullptr;
  QCheckBox* m_gridLines = nullptr;
  QCheckBox* m_registerAtStartup = nullptr;
  QCheckBox* m_allowEdit = nullptr;
  QComboBox* m_transition = nullptr;
  QSlider* m_transSpeed = nullptr;
  QComboBox* m_background = nullptr;
  CIconBar* m_fileIcons = nullptr;
  std::array<QPixmap, 3> m_iconImages;
  /// The background as stored: the box gives back these bytes while its text is unchanged.
  std::string m_backgroundShown;
};
