#include "core/StopSignal.h"

#include <atomic>
#include <csignal>

namespace {

// Written from a signal handler, on whichever thread the signal lands on (the sound and
// driver threads included): a lock-free atomic is what such a handler may touch.
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is written from a signal handler");

void noteStopSignal(int signal) {
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signal);
}

}  // namespace

void install_stop_signal_handlers() {
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a read of the package or the X connection never fails for it.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stop_signal() {
    return caughtSignal.load();
}

void end_by_stop_signal() {
    const int signal = stop_signal();
    if (signal == 0) {
        return;
    }
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    sigset_t caught;
    sigemptyset(&caught);
    sigaddset(&caught, signal);
    sigprocmask(SIG_UNBLOCK, &caught, nullptr);
    raise(signal);
}
