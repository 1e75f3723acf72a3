// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the command line ends when it is told to: Ctrl-C, SIGTERM and SIGHUP
// on POSIX, Ctrl-C, Ctrl-Break and closing the console on Windows. One file
// per platform.
namespace vamo::interrupts {

// Exit statuses of an interrupted run, as a shell reports a signal's.
inline constexpr int kHangUp = 129;    // SIGHUP, the console closed
inline constexpr int kInterrupt = 130; // SIGINT, Ctrl-C
inline constexpr int kTerminate = 143; // SIGTERM

// From now on an interrupt removes what the running builds have made and
// not finished (runningBuilds), says so on stderr and ends the program with
// the status above. Call first in main, before any thread starts.
void removeBuildFilesOnInterrupt();

} // namespace vamo::interrupts
