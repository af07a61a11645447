// Writing the database: every change as it is made, on a thread of its own, and at the end only
// what has not been written yet.
#include "app/CMainDlg.h"
#include "platform/FileTypeRegistry.h"

void CMainDlg::StartWriting(bool fileExists) {
  m_writtenChanges = m_db.Changes();
  m_writtenSettings = m_db.SettingsText();
  if (!fileExists)
    m_db.MarkChanged();  // a first run has everything still to write
  m_writer = std::make_unique<CDatabaseWriter>(DatabasePath(), [this] {
    // On the writer's thread: the box is shown on the window's.
    QMetaObject::invokeMethod(this, &CMainDlg::ReportWriteFailure, Qt::QueuedConnection);
  });
}

void CMainDlg::SaveChanges() {
  if (!m_saveAtExit || !m_writer)
    return;
  std::string settings = m_db.SettingsText();
  if (m_db.Changes() == m_writtenChanges && settings == m_writtenSettings)
    return;
  m_writtenChanges = m_db.Changes();
  m_writtenSettings = std::move(settings);
  // Written as it is made: the disk is busy while the last records are still being put together.
  m_writer->WriteInPieces(
      ++m_generation, [this](const CDatabaseWriter::PieceSink& piece) { m_db.Serialize(piece); });
}

void CMainDlg::WaitForWrites() {
  if (!m_writer)
    return;
  m_writer->Wait();
  ReportWriteFailure();
}

void CMainDlg::ReportWriteFailure() {
  if (!m_writer)
    return;
  if (const std::string error = m_writer->TakeError(); !error.empty())
    m_db.ReportWriteFailure(error);
}

void CMainDlg::Shutdown() {
  if (!m_saveAtExit)
    return;
  SaveChanges();
  m_writer->Wait();
  // A write that failed is tried once more here, and says so itself if it fails again.
  m_writer->TakeError();
  if (m_writer->Written() != m_generation)
    m_db.Save(DatabasePath());
  if (m_db.RegisterAtStartup && m_env.registry) {
    RegisterFileTypes(*m_env.registry, m_env.executablePath, m_db.FileIcon);
  }
}
