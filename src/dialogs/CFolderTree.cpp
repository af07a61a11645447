#include "dialogs/CFolderTree.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <algorithm>

#include "platform/Folders.h"
#include "ui/DisplayText.h"

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kFilledRole = Qt::UserRole + 2;

std::string PathOf(const QStandardItem* item) {
  return item->data(kPathRole).toByteArray().toStdString();
}

std::string Below(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

CFolderTree::CFolderTree(QWidget* parent) : QTreeView(parent) {
  m_model = new QStandardItemModel(this);
  setModel(m_model);
  header()->hide();
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  AddFolder(m_model->invisibleRootItem(), "/", "/");
  connect(this, &QTreeView::expanded, this,
          [this](const QModelIndex& index) { Fill(m_model->itemFromIndex(index)); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && !m_showing)
              emit FolderPicked(QByteArray::fromStdString(CurrentFolder()));
          });
}

QStandardItem* CFolderTree::AddFolder(QStandardItem* parent, const std::string& path,
                                      const QString& text) {
  auto* item = new QStandardItem(text);
  item->setData(QByteArray::fromStdString(path), kPathRole);
  // Until it is read, a folder may have folders inside: it shows that it can be opened.
  item->appendRow(new QStandardItem());
  parent->appendRow(item);
  return item;
}

void CFolderTree::Fill(QStandardItem* item, bool again) {
  if (item == nullptr || (item->data(kFilledRole).toBool() && !again))
    return;
  const std::string folder = PathOf(item);
  struct Entry {
    QString text;
    std::string path;
  };
  std::vector<Entry> entries;
  for (const std::string& name : ListFolder(folder)) {
    if (name == "." || name == "..")
      continue;
    const std::string path = Below(folder, name);
    if (GetPathKind(path) == PathKind::Folder)
      entries.push_back({DisplayText(name), path});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int order = a.text.compare(b.text, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.path < b.path;
  });
  item->removeRows(0, item->rowCount());
  for (const Entry& entry : entries)
    AddFolder(item, entry.path, entry.text);
  item->setData(true, kFilledRole);
}

QStandardItem* CFolderTree::ChildFor(QStandardItem* parent, const std::string& path) {
  for (bool again : {false, true}) {
    // A folder made since its parent was read needs the parent read again.
    Fill(parent, again);
    for (int row = 0; row < parent->rowCount(); ++row) {
      if (PathOf(parent->child(row)) == path)
        return parent->child(row);
    }
  }
  return nullptr;
}

void CFolderTree::ShowFolder(const std::string& folder) {
  QStandardItem* item = m_model->item(0);
  std::string path = "/";
  for (size_t from = 1; from < folder.size();) {
    const size_t slash = std::min(folder.find('/', from), folder.size());
    if (slash > from) {
      path = Below(path, folder.substr(from, slash - from));
      QStandardItem* child = ChildFor(item, path);
      if (child == nullptr)
        break;
      item = child;
    }
    from = slash + 1;
  }
  m_showing = true;
  // Open down to the folder and show what is inside it.
  for (QStandardItem* level = item; level != nullptr; level = level->parent())
    expand(level->index());
  setCurrentIndex(item->index());
  scrollTo(item->index(), QAbstractItemView::PositionAtCenter);
  m_showing = false;
}

std::string CFolderTree::CurrentFolder() const {
  const QStandardItem* item = m_model->itemFromIndex(currentIndex());
  return item == nullptr ? std::string() : PathOf(item);
}
