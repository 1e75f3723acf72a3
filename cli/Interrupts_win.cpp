// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interrupts.h"

#include "packaging/RunningBuilds.h"

#include <windows.h>

// Windows calls the console's control handler on a thread of its own: the
// removal runs there, then the process ends at once. Closing the console
// leaves the handler a few seconds, which the removal takes far less than.
namespace vamo::interrupts {

namespace {

BOOL WINAPI onControl(DWORD event)
{
    UINT status = kInterrupt;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        status = kHangUp;
        break;
    default:
        return FALSE;
    }
    runningBuilds::removeAllAndHold();
    static constexpr char said[] = "\r\n已中断\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), said, sizeof said - 1, &written, nullptr);
    TerminateProcess(GetCurrentProcess(), status);
    return TRUE;
}

} // namespace

void removeBuildFilesOnInterrupt() { SetConsoleCtrlHandler(onControl, TRUE); }

} // namespace vamo::interrupts
