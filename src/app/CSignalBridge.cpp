#include "app/CSignalBridge.h"

#include <QSocketNotifier>

#include "platform/TerminationSignals.h"

CSignalBridge::CSignalBridge(QObject* parent) : QObject(parent) {
  const int pipe = CatchTerminationSignals();
  if (pipe < 0)
    return;
  m_notifier = new QSocketNotifier(pipe, QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &CSignalBridge::OnReadable);
}

CSignalBridge::~CSignalBridge() {
  ReleaseTerminationSignals();
}

void CSignalBridge::OnReadable() {
  int number = 0;
  while (ReadCaughtSignal(number))
    emit TerminationRequested(number);
}
