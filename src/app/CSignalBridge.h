#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered by the event loop. The handler
/// only writes to a pipe, so a signal that arrives while a game runs (the event loop blocked
/// in the play) is acted on after the play has put everything back.
class CSignalBridge final : public QObject {
  Q_OBJECT

 public:
  explicit CSignalBridge(QObject* parent = nullptr);
  ~CSignalBridge() override;

 signals:
  void TerminationRequested(int signalNumber);

 private:
  void OnReadable();

  QSocketNotifier* m_notifier = nullptr;
};
