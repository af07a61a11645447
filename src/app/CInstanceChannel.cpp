#include "app/CInstanceChannel.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include "platform/CInstanceLock.h"

namespace {
constexpr char kRaise[] = "raise\n";
}  // namespace

CInstanceChannel::CInstanceChannel(QString windowTitle, QString serverName, QObject* parent)
    : QObject(parent),
      m_windowTitle(std::move(windowTitle)),
      m_serverName(serverName.isEmpty() ? DefaultServerName() : std::move(serverName)),
      m_server(new QLocalServer(this)) {
  connect(m_server, &QLocalServer::newConnection, this, &CInstanceChannel::OnConnection);
}

CInstanceChannel::~CInstanceChannel() = default;

QString CInstanceChannel::DefaultServerName() {
  const std::string folder = UserRuntimeFolder("BrindleApp");
  // No name at all: neither listening nor connecting can succeed.
  return folder.empty() ? QString() : QString::fromStdString(folder + "/BrindleApp.socket");
}

bool CInstanceChannel::Listen() {
  QLocalServer::removeServer(m_serverName);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  return m_server->listen(m_serverName);
}

void CInstanceChannel::OnConnection() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
      if (!socket->canReadLine())
        return;
      const QByteArray request = socket->readLine();
      bool found = false;
      if (request == kRaise) {
        // A window not shown yet (the first-run boxes come before it) is found all the same,
        // but it is not shown early.
        for (QWidget* window : QApplication::topLevelWidgets()) {
          if (window->windowTitle() != m_windowTitle)
            continue;
          found = true;
          if (window->isVisible()) {
            window->showNormal();
            window->raise();
            window->activateWindow();
            break;
          }
        }
      }
      socket->write(found ? "1\n" : "0\n");
      socket->flush();
      socket->disconnectFromServer();
    });
  }
}

bool CInstanceChannel::RaiseRunningInstance(const QString& serverName, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName);
  if (!socket.waitForConnected(timeoutMs))
    return false;
  socket.write(kRaise);
  if (!socket.waitForBytesWritten(timeoutMs))
    return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs))
      return false;
  }
  return socket.readLine() == "1\n";
}
