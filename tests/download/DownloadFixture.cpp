#include "DownloadFixture.h"

#include "support/TestFiles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

TestServer* DownloadTest::s_Server = nullptr;
std::wstring DownloadTest::s_Root;

InstallCallback EventRecorder::Callback()
{
    return [this](int32_t code, double value, const std::wstring& text) {
        RecordedEvent event{code, value, text};
        {
            std::lock_guard<std::mutex> lock(m_Lock);
            m_Events.push_back(event);
            if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL || code == DL_CODE_RETRY)
                ++m_Terminals;
        }
        m_Changed.notify_all();
        if (m_OnEvent) m_OnEvent(event);
    };
}

bool EventRecorder::WaitTerminals(size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_Lock);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_Terminals >= count; });
}

std::vector<RecordedEvent> EventRecorder::Events()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Events;
}

std::vector<int32_t> EventRecorder::Codes()
{
    std::vector<int32_t> codes;
    for (const RecordedEvent& e : Events())
        if (e.code != DL_CODE_PROGRESS) codes.push_back(e.code);
    return codes;
}

std::vector<double> EventRecorder::ProgressValues()
{
    std::vector<double> values;
    for (const RecordedEvent& e : Events())
        if (e.code == DL_CODE_PROGRESS) values.push_back(e.value);
    return values;
}

RecordedEvent EventRecorder::Terminal(size_t n)
{
    for (const RecordedEvent& e : Events()) {
        if (e.code == DL_CODE_SUCCESS || e.code == DL_CODE_FAIL || e.code == DL_CODE_RETRY) {
            if (n == 0) return e;
            --n;
        }
    }
    return RecordedEvent{0, 0.0, L""};
}

namespace {

std::wstring WorkingFolder()
{
    wchar_t buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}


} // namespace

void DownloadTest::SetUpTestSuite()
{
    if (s_Server) return;
    s_Root = WorkingFolder() + L"\\served";
    CreateDirectoryW(s_Root.c_str(), nullptr);
    s_Server = new TestServer(s_Root);
}

void DownloadTest::TearDownTestSuite()
{
    delete s_Server;
    s_Server = nullptr;
}

void DownloadTest::SetUp()
{
    ASSERT_NE(s_Server->Port(), 0) << "the test server did not start";
    ASSERT_TRUE(s_Server->Reset());
}

std::wstring DownloadTest::ServedPath(const std::string& name)
{
    return s_Root + L"\\" + std::wstring(name.begin(), name.end());
}

std::string DownloadTest::ServedFile(int64_t size)
{
    std::string name = "pkg" + std::to_string(size) + ".bin";
    std::wstring path = ServedPath(name);
    if (SizeOf(path) == size) return name;
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return name;
    uint64_t state = 0x9E3779B97F4A7C15ull ^ uint64_t(size);
    std::vector<uint64_t> block(8192);
    for (int64_t written = 0; written < size;) {
        for (uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        int64_t bytes = std::min<int64_t>(size - written, int64_t(block.size() * 8));
        fwrite(block.data(), 1, size_t(bytes), file);
        written += bytes;
    }
    fclose(file);
    return name;
}

std::wstring DownloadTest::Destination()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    std::wstring folder = WorkingFolder() + L"\\dl\\" + std::wstring(name.begin(), name.end());
    CreateDirectoryW((WorkingFolder() + L"\\dl").c_str(), nullptr);
    TestFiles::RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\__Package_Lumeno.exe";
}

void DestroyAfterProgress(std::unique_ptr<CDownloader> downloader, EventRecorder& events,
                          DWORD settleMs, DWORD quietMs)
{
    HANDLE progressed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    events.m_OnEvent = [progressed](const RecordedEvent& e) {
        if (e.code == DL_CODE_PROGRESS) SetEvent(progressed);
    };
    downloader->Start();
    EXPECT_EQ(WaitForSingleObject(progressed, 60000), WAIT_OBJECT_0) << "no progress";
    // The system downloader does not report every byte, so progress cannot tell when a
    // transfer has reached a point such as a stall; a pause has to do.
    Sleep(settleMs);

    // Destroyed on another thread, so that a destruction that waits for the server shows
    // as a failure rather than as a test program that never ends.
    HANDLE destroyed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread destroyer([&downloader, destroyed] {
        downloader.reset();
        SetEvent(destroyed);
    });
    EXPECT_EQ(WaitForSingleObject(destroyed, 30000), WAIT_OBJECT_0)
        << "the destruction waits for the server";
    destroyer.join();
    CloseHandle(destroyed);
    events.m_OnEvent = nullptr;
    CloseHandle(progressed);
    size_t seen = events.Events().size();
    Sleep(quietMs);
    EXPECT_EQ(events.Events().size(), seen);
    EXPECT_EQ(events.Codes(), std::vector<int32_t>{DL_CODE_START});
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SameContent(const std::wstring& a, const std::wstring& b)
{
    FILE* fa = _wfopen(a.c_str(), L"rb");
    FILE* fb = _wfopen(b.c_str(), L"rb");
    bool same = fa && fb;
    std::vector<char> ba(65536), bb(65536);
    while (same) {
        size_t na = fread(ba.data(), 1, ba.size(), fa);
        size_t nb = fread(bb.data(), 1, bb.size(), fb);
        if (na != nb || memcmp(ba.data(), bb.data(), na) != 0) same = false;
        if (na == 0) break;
    }
    if (fa) fclose(fa);
    if (fb) fclose(fb);
    return same;
}

bool CopySlice(const std::wstring& from, int64_t offset, int64_t count, const std::wstring& to)
{
    FILE* in = _wfopen(from.c_str(), L"rb");
    if (!in) return false;
    FILE* out = _wfopen(to.c_str(), L"wb");
    if (!out) {
        fclose(in);
        return false;
    }
    _fseeki64(in, offset, SEEK_SET);
    std::vector<char> block(65536);
    while (count > 0) {
        size_t got = fread(block.data(), 1, size_t(std::min<int64_t>(count, int64_t(block.size()))), in);
        if (got == 0) break;
        fwrite(block.data(), 1, got, out);
        count -= int64_t(got);
    }
    fclose(in);
    fclose(out);
    return count == 0;
}
