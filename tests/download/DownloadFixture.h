// Shared pieces of the download tests: one test server per process serving generated
// files, a thread-safe event recorder, and a fresh destination folder per test.
#pragma once

#include "core/InstallEvents.h"
#include "download/Downloader.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct RecordedEvent {
    int32_t code;
    double value;
    std::wstring text;
};

class EventRecorder {
public:
    // Called on the sending thread after the event is recorded (e.g. to restart).
    std::function<void(const RecordedEvent&)> m_OnEvent;

    InstallCallback Callback();
    // Waits until `count` terminal events (success, fail, retry) have arrived.
    bool WaitTerminals(size_t count, int timeoutMs = 120000);
    std::vector<RecordedEvent> Events();
    // The codes in order, progress events left out.
    std::vector<int32_t> Codes();
    std::vector<double> ProgressValues();
    // The event of the n-th (0-based) terminal.
    RecordedEvent Terminal(size_t n);

private:
    std::mutex m_Lock;
    std::condition_variable m_Changed;
    std::vector<RecordedEvent> m_Events;
    size_t m_Terminals = 0;
};

class DownloadTest : public testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;

    // Makes (once per process) a file of `size` deterministic bytes in the served folder.
    static std::string ServedFile(int64_t size);
    static std::wstring ServedPath(const std::string& name);
    // A fresh folder for this test's destination; returns the package path in it.
    std::wstring Destination();

    static TestServer* s_Server;
    static std::wstring s_Root;
};

// Starts `downloader` (built on `events`), destroys it `settleMs` after the first progress
// event, and checks that the destruction returned promptly (well
// before any server time-out) and cut the run short: START only, nothing for `quietMs`
// after.
void DestroyAfterProgress(std::unique_ptr<CDownloader> downloader, EventRecorder& events,
                          DWORD settleMs, DWORD quietMs);

bool FileExists(const std::wstring& path);
int64_t SizeOf(const std::wstring& path);
bool SameContent(const std::wstring& a, const std::wstring& b);
// Copies `count` bytes from `offset` of one file into a new file.
bool CopySlice(const std::wstring& from, int64_t offset, int64_t count, const std::wstring& to);
