#include "app/CAddFolderRun.h"

#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <system_error>
#include <thread>

#include "app/LastFolders.h"
#include "dialogs/CFolderSummaryDlg.h"
#include "ui/DisplayText.h"

namespace {

constexpr int kPollMilliseconds = 100;
constexpr int kBarSteps = 1000;

// The desktop's own folder dialog (through the portal on Wayland and in a sandbox), where a
// folder was last added from.
std::string DefaultChooseFolder(UserPrompt&, QWidget* parent) {
  QFileDialog dialog(parent, "Add Folder");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(StartFolder("AddFolder"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::string();
  const QString folder = dialog.selectedFiles().constFirst();
  RememberFolder("AddFolder", folder);
  return QFile::encodeName(folder).toStdString();
}

void DefaultShowSummary(const FolderAddResult& result, QWidget* parent) {
  CFolderSummaryDlg dialog(FolderAddSummaryHead(result), FolderAddSummaryDetails(result), parent);
  dialog.exec();
}

void ShowProgress(QProgressDialog& dialog, const FolderAddProgress& progress) {
  dialog.setLabelText(DisplayText(FolderAddProgressText(progress)));
  if (progress.scanning) {
    dialog.setMaximum(0);  // a busy bar: how much there is is not known yet
    return;
  }
  dialog.setMaximum(kBarSteps);
  const double done =
      progress.bytesTotal > 0
          ? static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal)
      : progress.filesTotal > 0
          ? static_cast<double>(progress.filesDone) / static_cast<double>(progress.filesTotal)
          : 1.0;
  dialog.setValue(static_cast<int>(done * kBarSteps));
}

}  // namespace

CAddFolderRun::CAddFolderRun(CPatchDB& db, UserPrompt& prompt,
                             const AddFolderEnvironment& environment, QWidget* parent)
    : m_db(db), m_prompt(prompt), m_env(environment), m_parent(parent) {
  if (!m_env.chooseFolder)
    m_env.chooseFolder = DefaultChooseFolder;
  if (!m_env.showSummary)
    m_env.showSummary = DefaultShowSummary;
}

bool CAddFolderRun::Run(const std::function<void()>& commit) {
  const std::string folder = m_env.chooseFolder(m_prompt, m_parent);
  if (folder.empty())
    return false;
  // The work has records of its own: the window's may be painted while it runs.
  CFolderAdd work(m_db, m_env.threads);
  Work(work, folder);
  const FolderAddResult& result = work.Result();
  work.MergeInto(m_db);
  if (result.Added() > 0 && commit)
    commit();
  // A window closed meanwhile (a termination signal) wants no more dialogs.
  if (m_parent == nullptr || m_parent->isVisible())
    m_env.showSummary(result, m_parent);
  return result.Added() > 0;
}

void CAddFolderRun::Work(CFolderAdd& work, const std::string& folder) {
  QProgressDialog dialog(m_parent);
  dialog.setObjectName("AddFolderProgress");
  dialog.setWindowTitle("Add Folder");
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setCancelButtonText("Cancel");
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setMinimumDuration(0);
  dialog.setMinimumWidth(360);
  ShowProgress(dialog, work.Progress());
  // Cancel, Escape and the close box all stop the work after the file in hand.
  bool stopping = false;
  const auto stop = [&work, &stopping] {
    stopping = true;
    work.Cancel();
  };
  QObject::connect(&dialog, &QProgressDialog::canceled, stop);
  QObject::connect(&dialog, &QDialog::rejected, stop);
  dialog.show();

  std::atomic<bool> finished = false;
  std::thread thread;
  try {
    thread = std::thread([&] {
      work.Run({folder}, m_env.onProgress);
      finished = true;
    });
  } catch (const std::system_error&) {
    work.Run({folder}, m_env.onProgress);  // no thread to be had: the window waits
    finished = true;
  }
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (finished)
      loop.quit();
    else if (!stopping)  // showing progress would bring the closed box back
      ShowProgress(dialog, work.Progress());
  });
  poll.start(kPollMilliseconds);
  loop.exec();
  if (thread.joinable())
    thread.join();
  dialog.hide();
}
