#pragma once

#include <QTreeView>
#include <string>

class QStandardItem;
class QStandardItemModel;

/// The folder picker's tree of folders from "/" down, read by the names' bytes: a folder whose
/// name is not UTF-8 is listed too (shown in Latin-1) and keeps naming the same folder. A folder
/// is read when it is first opened.
class CFolderTree final : public QTreeView {
  Q_OBJECT

 public:
  explicit CFolderTree(QWidget* parent);

  /// Opens the tree down to a folder (an absolute path) and makes it the current row, without
  /// reporting it; as far down as the folders exist.
  void ShowFolder(const std::string& folder);
  /// The folder of the current row, without a trailing "/" (except for "/" itself).
  std::string CurrentFolder() const;

 signals:
  /// The user moved to another folder in the tree.
  void FolderPicked(const QByteArray& folder);

 private:
  void Fill(QStandardItem* item, bool again = false);
  QStandardItem* AddFolder(QStandardItem* parent, const std::string& path, const QString& text);
  QStandardItem* ChildFor(QStandardItem* parent, const std::string& path);

  QStandardItemModel* m_model = nullptr;
  bool m_showing = false;
};
