// The multi-part downloader: one header request for the final URL and the length, then
// one or two byte ranges fetched in parallel into part files ("_0", "_1") that survive a
// failed run for resuming, joined into the destination and checked against the digest.
//
// Threads of a run: the start phase (a Utils::Thread), one thread per range and one
// waiting thread that joins the ranges and sends the terminal event. All of them belong
// to the downloader: destroying it cancels the transfers and waits for every one.
#pragma once

#include "download/CurlHandle.h"
#include "download/Downloader.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CMTCurlDownloader : public CDownloader {
public:
    struct DownloadPartNode {
        FILE* file = nullptr;         // open for appending while the range is fetched
        int64_t next = 0;             // absolute offset of the next byte to fetch
        int64_t last = 0;             // absolute offset of the range's last byte
        CURL* handle = nullptr;
        std::string url;
        std::wstring path;            // the part file
        int32_t status = -1;          // 0 done, -1 waiting, -2 no part file, else libcurl's code
        std::atomic<int64_t> received{0};  // bytes of this range on disk
        std::thread thread;
        CMTCurlDownloader* owner = nullptr;
        // What the server answered in the current attempt.
        int64_t askedFirst = 0;
        bool checked = false;
        bool accepted = false;
        int64_t rangeFirst = -1;
        int64_t rangeLast = -1;
    };

    CMTCurlDownloader(InstallCallback callback, const std::wstring& url,
                      const std::wstring& destination);
    ~CMTCurlDownloader() override;
    CMTCurlDownloader(const CMTCurlDownloader&) = delete;
    CMTCurlDownloader& operator=(const CMTCurlDownloader&) = delete;

    void Start() override;

    // Seconds below 1 byte/s after which a range attempt fails (5 by default).
    void SetStallLimit(long seconds) { m_StallSeconds = seconds; }

private:
    void Start_Down();
    bool getRealDownloadUrl(const std::string& url);
    int downloadExe(DownloadPartNode* node);
    void downloadThreadFun(DownloadPartNode* node);
    void waitForFinishThreadFun();
    bool JoinParts();
    void ReleaseNodes();
    void DeletePartFiles();
    std::wstring PartPath(size_t index) const;
    void Send(int32_t code, double value, const std::wstring& text);
    bool Cancelled() const { return m_Cancel; }

    static size_t WritePart(char* data, size_t size, size_t count, void* node);
    static size_t HeaderLine(char* data, size_t size, size_t count, void* node);
    static int Progress(void* self, CurlOffset, CurlOffset, CurlOffset, CurlOffset);

    std::vector<std::unique_ptr<DownloadPartNode>> m_Parts;
    InstallCallback m_Callback;
    std::wstring m_Destination;
    std::wstring m_Url;
    std::string m_RealUrl;
    int64_t m_Length = -1;
    std::string m_Md5;
    double m_LastPercent = 0.0;
    std::atomic<int32_t> m_Active{0};
    std::atomic<int64_t> m_LastProgressTime{0};
    bool m_Retried = false;
    long m_StallSeconds = 5;
    std::atomic<bool> m_Cancel{false};
    std::mutex m_Lock;          // m_Worker, m_Waiter, and Start() against the destructor
    std::mutex m_ProgressLock;  // m_LastPercent between the range threads
    std::shared_ptr<Utils::Thread> m_Worker;
    std::thread m_Waiter;
};
