#include "console_events.h"

#include "extract_job.h"
#include "platform.h"
#include <gtest/gtest.h>

namespace {

DWORD WINAPI handle_event(void* event) {
    on_console_event(DWORD(uintptr_t(event)));
    return 0;
}

// Every console event stops the job as Abort Convert does. After a close, logoff or shutdown
// the system ends the process once the handler returns, so that handler holds on and leaves
// the end to the program's own (the job's file removed, status 6); Ctrl+C and Ctrl+Break
// return at once.
TEST(ConsoleEvents, EachStopsTheJobAndTheSessionsEndsHoldTheProcess) {
    const std::pair<DWORD, bool> cases[] = {
        {CTRL_C_EVENT, false},     {CTRL_BREAK_EVENT, false},   {CTRL_CLOSE_EVENT, true},
        {CTRL_LOGOFF_EVENT, true}, {CTRL_SHUTDOWN_EVENT, true},
    };
    for (const auto& [event, holds] : cases) {
        reply_state = REPLY_WRITE;
        HANDLE thread =
            CreateThread(nullptr, 0, handle_event, reinterpret_cast<void*>(event), 0, nullptr);
        const DWORD waited = WaitForSingleObject(thread, holds ? 200 : 5000);
        EXPECT_EQ(waited, holds ? DWORD(WAIT_TIMEOUT) : DWORD(WAIT_OBJECT_0)) << event;
        EXPECT_EQ(reply_state.load(), REPLY_ABORT) << event;
        CloseHandle(thread); // a holding handler is ended with the test program
    }
    EXPECT_TRUE(interrupted());
}

} // namespace
