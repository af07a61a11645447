#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

/// The line between two copies of Brindle: the running copy listens, and a second copy asks it
/// to bring its main window forward and learns whether that window exists.
class CInstanceChannel final : public QObject {
  Q_OBJECT

 public:
  /// `serverName` empty means the per-user name of the program.
  explicit CInstanceChannel(QString windowTitle, QString serverName = {},
                            QObject* parent = nullptr);
  ~CInstanceChannel() override;

  /// Starts listening. Only the copy that holds the instance lock may call it: it clears a
  /// socket left behind by a copy that crashed.
  bool Listen();

  /// Asks the running copy to raise its window; true when it answered that the window exists.
  /// A copy that does not answer within `timeoutMs` counts as having no window. `token` is the
  /// desktop's activation token of this start, which lets the running copy's window come
  /// forward on Wayland; where it is refused, the window asks for attention instead.
  static bool RaiseRunningInstance(const QString& serverName, int timeoutMs = 1000,
                                   const QByteArray& token = {});
  /// The activation token the desktop gave this start (XDG_ACTIVATION_TOKEN), or none.
  static QByteArray StartToken();

  static QString DefaultServerName();
  const QString& ServerName() const { return m_serverName; }

 private:
  void OnConnection();

  QString m_windowTitle;
  QString m_serverName;
  QLocalServer* m_server;
};
