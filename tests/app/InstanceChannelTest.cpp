#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <atomic>
#include <thread>

#include "app/CInstanceChannel.h"
#include "support/TempDir.h"

namespace {

// Asks from another thread while this one keeps serving, as a second process would.
bool AskWhileServing(const QString& name, int timeoutMs = 1000, const QByteArray& token = {}) {
  std::atomic<bool> done{false};
  bool found = false;
  std::thread client([&] {
    found = CInstanceChannel::RaiseRunningInstance(name, timeoutMs, token);
    done = true;
  });
  while (!done)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  client.join();
  return found;
}

}  // namespace

TEST(InstanceChannel, RaisesTheWindowWithTheTitleAndSaysSo) {
  TempDir dir;
  const QString name = QString::fromStdString(dir.File("channel"));
  CInstanceChannel channel("SNES Brindle", name);
  ASSERT_TRUE(channel.Listen());

  EXPECT_FALSE(AskWhileServing(name));  // no such window yet
  QDialog other;
  other.setWindowTitle("Something else");
  other.show();
  EXPECT_FALSE(AskWhileServing(name));
  QDialog window;
  window.setWindowTitle("SNES Brindle");
  // Not shown yet: found, and left hidden.
  EXPECT_TRUE(AskWhileServing(name));
  EXPECT_FALSE(window.isVisible());
  window.show();
  window.showMinimized();
  EXPECT_TRUE(AskWhileServing(name));
  EXPECT_FALSE(window.isMinimized());

  // The start's activation token goes along (one that is not one word is left out), and the
  // window still comes forward; a line that is not a request of ours finds nothing.
  window.showMinimized();
  EXPECT_TRUE(AskWhileServing(name, 1000, "kwin-12_34.5"));
  EXPECT_FALSE(window.isMinimized());
  EXPECT_TRUE(AskWhileServing(name, 1000, "two words\nraise"));
  std::atomic<bool> done{false};
  QByteArray answer;
  std::thread client([&] {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(1000)) {
      socket.write("raise two words\n");
      while (!socket.canReadLine() && socket.waitForReadyRead(1000)) {
      }
      answer = socket.readLine();
    }
    done = true;
  });
  while (!done)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  client.join();
  EXPECT_EQ(answer, "0\n");
}

TEST(InstanceChannel, NobodyListeningOrAnsweringCountsAsNoWindow) {
  TempDir dir;
  const QString name = QString::fromStdString(dir.File("nobody"));
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(CInstanceChannel::RaiseRunningInstance(name));
  // A copy that listens but is busy (playing a game) does not answer: give up after the wait.
  CInstanceChannel busy("SNES Brindle", name);
  ASSERT_TRUE(busy.Listen());
  timer.restart();
  EXPECT_FALSE(CInstanceChannel::RaiseRunningInstance(name, 300));
  EXPECT_LT(timer.elapsed(), 3000);
  // A stale socket from a crashed copy is cleared by the next one that holds the lock.
  CInstanceChannel next("SNES Brindle", name);
  EXPECT_TRUE(next.Listen());
}
