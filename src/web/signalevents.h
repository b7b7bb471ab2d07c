#pragma once

#include <functional>
#include <initializer_list>

class QObject;

// Turns the signals `which` (SIGINT, SIGTERM) into calls of `handle` from the event loop, never in
// the middle of whatever the program was doing: the signal handler only writes the signal's number
// to a socket that the loop watches. For the program's one event loop; `context` owns the
// watching and ends it. Returns false when the socket could not be made (the signals then keep
// their default).
bool handleSignalsInEventLoop(std::initializer_list<int> which, QObject *context,
                              std::function<void(int signal)> handle);
