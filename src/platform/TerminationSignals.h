#pragma once

#include <string>

// SIGTERM, SIGINT and SIGHUP turned into bytes on a pipe, so that an event loop can act on them
// when it gets to them. The handler only writes the signal's number to the pipe, which is all a
// signal handler may safely do; a signal that arrives while a game runs (the event loop blocked
// in the play) is therefore acted on after the play has put everything back.

/// Catches the three signals from now on. Returns the pipe's reading end (non-blocking), the
/// same on every call; -1, with `error` (when given) saying why, when there is no pipe (the
/// signals then keep their handling).
int CatchTerminationSignals(std::string* error = nullptr);
/// Gives the three signals their default handling back. The pipe stays for a later catch.
void ReleaseTerminationSignals();
/// Takes the next caught signal's number from the pipe; false when none is waiting.
bool ReadCaughtSignal(int& number);
