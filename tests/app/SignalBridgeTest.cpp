#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>

#include "app/CSignalBridge.h"

TEST(SignalBridge, DeliversTerminationSignalsThroughTheEventLoop) {
  CSignalBridge bridge;
  std::vector<int> received;
  QObject::connect(&bridge, &CSignalBridge::TerminationRequested,
                   [&](int number) { received.push_back(number); });
  ::raise(SIGTERM);
  ::raise(SIGHUP);
  // Nothing happens inside the handler itself: only the event loop acts on it.
  EXPECT_TRUE(received.empty());
  QElapsedTimer timer;
  timer.start();
  while (received.size() < 2 && timer.elapsed() < 2000)
    QApplication::processEvents();
  EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP}));
}
