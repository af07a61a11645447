#include "app/CInstanceChannel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

#include "platform/CInstanceLock.h"

namespace {

constexpr char kRaise[] = "raise";
// Longer than any token a compositor gives; a longer line is not a request of ours.
constexpr qsizetype kMaxRequest = 512;
// How long the window manager or compositor has to bring the window forward before it is asked
// to mark it instead.
constexpr int kActivationWaitMs = 500;

// "raise" or "raise TOKEN": true for either, with the token (empty when none). A token is one
// word of printable ASCII; anything else is no request.
bool ParseRaise(const QByteArray& line, QByteArray& token) {
  if (!line.endsWith('\n') || line.size() > kMaxRequest)
    return false;
  const QByteArray request = line.chopped(1);
  if (request == kRaise) {
    token.clear();
    return true;
  }
  if (!request.startsWith(QByteArray(kRaise) + ' '))
    return false;
  token = request.mid(static_cast<qsizetype>(sizeof kRaise));  // after "raise "
  for (const char c : token) {
    if (c <= ' ' || c > '~')
      return false;
  }
  return !token.isEmpty();
}

void BringForward(QWidget* window, const QByteArray& token) {
  window->showNormal();
  window->raise();
  // On Wayland a window may come forward only with the token the desktop gave the start that
  // asks for it; the toolkit hands the one in XDG_ACTIVATION_TOKEN over with the request.
  if (!token.isEmpty() && QGuiApplication::platformName().startsWith("wayland"))
    qputenv("XDG_ACTIVATION_TOKEN", token);
  window->activateWindow();
  // Used once, and not passed on to the emulators.
  qunsetenv("XDG_ACTIVATION_TOKEN");
  // Where that is refused (focus-stealing prevention), the window at least asks for attention.
  QTimer::singleShot(kActivationWaitMs, window, [window] {
    if (!window->isActiveWindow())
      QApplication::alert(window);
  });
}

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
      const QByteArray request = socket->readLine(kMaxRequest + 1);
      QByteArray token;
      bool found = false;
      if (ParseRaise(request, token)) {
        // A window not shown yet (the first-run boxes come before it) is found all the same,
        // but it is not shown early.
        for (QWidget* window : QApplication::topLevelWidgets()) {
          if (window->windowTitle() != m_windowTitle)
            continue;
          found = true;
          if (window->isVisible()) {
            BringForward(window, token);
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

QByteArray CInstanceChannel::StartToken() {
  return qgetenv("XDG_ACTIVATION_TOKEN");
}

bool CInstanceChannel::RaiseRunningInstance(const QString& serverName, int timeoutMs,
                                            const QByteArray& token) {
  QLocalSocket socket;
  socket.connectToServer(serverName);
  if (!socket.waitForConnected(timeoutMs))
    return false;
  QByteArray request(kRaise);
  // A token that could not be read back as one is not sent.
  QByteArray ignored;
  if (!token.isEmpty() && ParseRaise(request + ' ' + token + '\n', ignored))
    request += ' ' + token;
  socket.write(request + '\n');
  if (!socket.waitForBytesWritten(timeoutMs))
    return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs))
      return false;
  }
  return socket.readLine() == "1\n";
}
