#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace qm::shell {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler only writes the signal's number into a socket; the message loop reads it.
int wakeUp[2] = {-1, -1};
std::atomic<int> lastSignal{0};
struct sigaction previous[std::size(kSignals)];

void onSignal(int signal) {
    lastSignal.store(signal);
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) != 0) {
        std::perror("Vantorix: socketpair");
        return;
    }
    notifier_ = new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::leave);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    delete notifier_;
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}

int TerminationSignals::received() {
    return lastSignal.load();
}

void TerminationSignals::leave() {
    unsigned char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeUp[1], &byte, 1);
    std::fprintf(stderr, "Vantorix: zamknięcie na sygnał %d\n", int(byte));
    // Every running loop ends, a modal dialog's too, and no later one starts.
    QCoreApplication::exit(0);
}

} // namespace qm::shell
