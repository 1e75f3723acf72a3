// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interrupts.h"

#include "packaging/RunningBuilds.h"

#include <csignal>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <unistd.h>

// The signals are blocked in every thread (the threads started later inherit
// the mask) and taken by one thread of their own with sigwait: the removal
// runs as ordinary code, not in a signal handler, while the build's threads
// stand wherever they are.
namespace vamo::interrupts {

void removeBuildFilesOnInterrupt()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the program was started to ignore (nohup, a background
        // job) stays ignored.
        struct sigaction action {};
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
            sigaddset(&signals, signal);
    }
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0)
        return;
    try {
        std::thread([signals] {
            int signal = 0;
            while (sigwait(&signals, &signal) != 0) {
            }
            runningBuilds::removeAllAndHold();
            static constexpr char said[] = "\n已中断\n";
            (void)!::write(STDERR_FILENO, said, sizeof said - 1);
            _exit(signal == SIGINT ? kInterrupt : signal == SIGHUP ? kHangUp : kTerminate);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the signals end the program as they would.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
}

} // namespace vamo::interrupts
