#include "web/signalevents.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>

namespace {

int signalFds[2] = {-1, -1};

void onSignal(int signal)
{
    // Only async-signal-safe work here.
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalFds[0], &byte, 1);
}

} // namespace

bool handleSignalsInEventLoop(std::initializer_list<int> which, QObject *context,
                              std::function<void(int signal)> handle)
{
    if (signalFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalFds) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalFds[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handle = std::move(handle)] {
        unsigned char byte = 0;
        if (::read(signalFds[1], &byte, 1) == 1)
            handle(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : which)
        sigaction(signal, &action, nullptr);
    return true;
}
