#include "core/Thread.h"
#include "core/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

const DWORD kNoThread = static_cast<DWORD>(-1);

TEST(Thread, NeverStartedIsEmptyAndJoinsAtOnce)
{
    Utils::Thread thread;
    EXPECT_EQ(thread.m_Handle, nullptr);
    EXPECT_EQ(thread.m_ThreadId, kNoThread);
    thread.Join();
    thread.Resume();
    EXPECT_EQ(thread.m_Handle, nullptr);
}

TEST(Thread, WorkRunsOnlyAfterResumeWithItsParameter)
{
    std::atomic<int> runs{0};
    std::atomic<void*> seen{nullptr};
    std::atomic<DWORD> ranOn{0};
    int owner = 0;
    Utils::Thread thread;
    thread.Start(&owner, L"ABDEF", [&](void* param) {
        seen = param;
        ranOn = GetCurrentThreadId();
        ++runs;
    });
    ASSERT_NE(thread.m_Handle, nullptr);
    EXPECT_NE(thread.m_ThreadId, kNoThread);
    EXPECT_EQ(thread.m_Name, L"ABDEF");
    // Still suspended once: suspending again reports a previous count of one.
    EXPECT_EQ(SuspendThread(thread.m_Handle), 1u);
    EXPECT_EQ(ResumeThread(thread.m_Handle), 2u);
    EXPECT_EQ(runs.load(), 0);

    thread.Resume();
    thread.Join();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(seen.load(), &owner);
    EXPECT_NE(ranOn.load(), GetCurrentThreadId());
    EXPECT_EQ(thread.m_Handle, nullptr);
    EXPECT_EQ(thread.m_ThreadId, kNoThread);

    thread.Join(); // a second join does nothing
    EXPECT_EQ(thread.m_Handle, nullptr);
    EXPECT_EQ(thread.m_ThreadId, kNoThread);
}

TEST(Thread, LogsBeginAndEndOnTheWorker)
{
    std::vector<std::wstring> lines;
    DWORD id = 0;
    {
        LogCapture capture;
        Utils::Thread thread;
        thread.Start(nullptr, L"ABDEF", [](void*) {});
        id = thread.m_ThreadId;
        thread.Resume();
        thread.Join();
        lines = capture.Lines();
    }
    if (lines.empty()) GTEST_SKIP() << "this system does not raise debug-print exceptions";
    wchar_t tag[32];
    swprintf(tag, 32, L"<T%05lu>", id);
    std::vector<std::wstring> ours;
    for (const std::wstring& line : lines)
        if (line.find(tag) != std::wstring::npos) ours.push_back(line);
    ASSERT_EQ(ours.size(), 2u);
    const std::wstring begin = L"(Utils::Thread::CallBack)";
    EXPECT_NE(ours[0].find(begin), std::wstring::npos) << ours[0];
    EXPECT_EQ(ours[0].substr(ours[0].size() - 14), L"THREAD BEGIN\r\n");
    EXPECT_NE(ours[1].find(begin), std::wstring::npos) << ours[1];
    EXPECT_EQ(ours[1].substr(ours[1].size() - 12), L"THREAD END\r\n");
}

TEST(Thread, OwnerMayResumeThroughTheHandle)
{
    std::atomic<bool> ran{false};
    Utils::Thread thread;
    thread.Start(nullptr, L"UnInstaller", [&](void*) { ran = true; });
    ASSERT_NE(thread.m_Handle, nullptr);
    ResumeThread(thread.m_Handle);
    thread.Join();
    EXPECT_TRUE(ran);
}

TEST(Thread, DestructorWaitsForTheWork)
{
    std::atomic<bool> finished{false};
    {
        Utils::Thread thread;
        thread.Start(nullptr, L"", [&](void*) {
            Sleep(100);
            finished = true;
        });
        thread.Resume();
    }
    EXPECT_TRUE(finished);
}

TEST(Thread, ExceptionInWorkDoesNotEscapeTheThread)
{
    std::atomic<bool> reached{false};
    Utils::Thread thread;
    thread.Start(nullptr, L"ABDEF", [&](void*) {
        reached = true;
        throw 1;
    });
    thread.Resume();
    thread.Join();
    EXPECT_TRUE(reached);
}

TEST(Thread, RestartAfterJoinRunsNewWork)
{
    std::atomic<int> sum{0};
    Utils::Thread thread;
    thread.Start(nullptr, L"ABDEF", [&](void*) { sum += 1; }).Resume();
    thread.Join();
    thread.Start(nullptr, L"ABDEF", [&](void*) { sum += 10; }).Resume();
    thread.Join();
    EXPECT_EQ(sum.load(), 11);
}

TEST(Thread, StartingAgainWaitsForTheEarlierRun)
{
    std::atomic<bool> firstDone{false};
    std::atomic<bool> secondSawFirstDone{false};
    Utils::Thread thread;
    thread.Start(nullptr, L"ABDEF", [&](void*) {
        Sleep(200);
        firstDone = true;
    }).Resume();
    thread.Start(nullptr, L"ABDEF", [&](void*) { secondSawFirstDone = firstDone.load(); }).Resume();
    thread.Join();
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(secondSawFirstDone);
}

TEST(DebuggerThreadName, EmptyNameUsesTheThreadId)
{
    EXPECT_EQ(Utils::DebuggerThreadName(L"", 1234), "t1234");
    EXPECT_EQ(Utils::DebuggerThreadName(L"ABDEF", 1234), "ABDEF");
    EXPECT_EQ(Utils::DebuggerThreadName(L"UnInstaller", 0), "UnInstaller");
}

// PumpMessages runs on this test's own thread queue.
void DrainQueue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

TEST(PumpMessages, ReturnsAfterAboutOneHundredMilliseconds)
{
    DrainQueue();
    UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(timer, 0u);
    DWORD start = GetTickCount();
    EXPECT_TRUE(Utils::PumpMessages(nullptr));
    DWORD elapsed = GetTickCount() - start;
    KillTimer(nullptr, timer);
    DrainQueue();
    EXPECT_GE(elapsed, 90u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(PumpMessages, QuitMessageStopsAndIsPostedAgain)
{
    DrainQueue();
    PostQuitMessage(7);
    EXPECT_FALSE(Utils::PumpMessages(nullptr));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    DrainQueue();
}

TEST(PumpMessages, GoneWindowStopsAtOnce)
{
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);
    DrainQueue();
    EXPECT_FALSE(Utils::PumpMessages(window));
}

} // namespace
