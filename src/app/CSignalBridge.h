#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered by the event loop, through the
/// platform's signal pipe (platform/TerminationSignals.h).
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
