#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

void SetHandler(void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  for (int number : {SIGTERM, SIGINT, SIGHUP})
    ::sigaction(number, &action, nullptr);
}

}  // namespace

int CatchTerminationSignals(std::string* error) {
  if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (error)
      *error = std::strerror(errno);
    return -1;
  }
  SetHandler(OnSignal, SA_RESTART);
  return g_pipe[0];
}

void ReleaseTerminationSignals() {
  SetHandler(SIG_DFL, 0);
}

bool ReadCaughtSignal(int& number) {
  unsigned char byte = 0;
  if (g_pipe[0] < 0 || ::read(g_pipe[0], &byte, 1) != 1)
    return false;
  number = byte;
  return true;
}
