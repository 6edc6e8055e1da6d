// Fetches one URL with the single-stream or the multi-part downloader and prints the
// throughput and the process's peak working set:
//   download_bench single|multi URL DESTINATION
// Output: one line "mode=<m> result=<code> bytes=<n> seconds=<s> MBps=<r> peakWS=<bytes>
// baseWS=<bytes>", baseWS being the peak working set before the download began.
#include <winsock2.h>

#include <curl/curl.h>

#include "download/CurlDownloader.h"
#include "download/MTCurlDownloader.h"

#include <windows.h>
#include <psapi.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: download_bench single|multi URL DESTINATION\n");
        return 2;
    }
    std::wstring mode = argv[1];
    curl_global_init(CURL_GLOBAL_ALL);

    std::mutex lock;
    std::condition_variable done;
    int result = 0;
    bool finished = false;
    InstallCallback callback = [&](int32_t code, double, const std::wstring&) {
        if (code != DL_CODE_SUCCESS && code != DL_CODE_FAIL && code != DL_CODE_RETRY) return;
        std::lock_guard<std::mutex> guard(lock);
        result = code;
        finished = true;
        done.notify_all();
    };

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    SIZE_T baseline = memory.PeakWorkingSetSize;

    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    {
        std::unique_ptr<CDownloader> downloader;
        if (mode == L"multi")
            downloader = std::make_unique<CMTCurlDownloader>(callback, argv[2], argv[3]);
        else
            downloader = std::make_unique<CCurlDownloader>(callback, argv[2], argv[3]);
        QueryPerformanceCounter(&begin);
        downloader->Start();
        std::unique_lock<std::mutex> guard(lock);
        done.wait(guard, [&] { return finished; });
        QueryPerformanceCounter(&end);
    }

    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(argv[3], GetFileExInfoStandard, &data);
    long long bytes = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    double seconds = double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    printf("mode=%ls result=%d bytes=%lld seconds=%.3f MBps=%.1f peakWS=%lu baseWS=%lu\n",
           mode.c_str(), result, bytes, seconds, bytes / seconds / 1e6,
           (unsigned long)memory.PeakWorkingSetSize, (unsigned long)baseline);
    curl_global_cleanup();
    return result == DL_CODE_SUCCESS ? 0 : 1;
}
