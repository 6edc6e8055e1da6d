// The default downloader: the package in one HTTP(S) stream (CurlClient) with resume,
// retries within a budget and the digest check, run on a worker thread per Start().
#pragma once

#include "download/CurlClient.h"
#include "download/Downloader.h"

#include <atomic>
#include <memory>
#include <mutex>

class CCurlDownloader : public CDownloader {
public:
    CCurlDownloader(InstallCallback callback, const std::wstring& url,
                    const std::wstring& destination);
    // Stops a running transfer and waits for the run's thread.
    ~CCurlDownloader() override;
    CCurlDownloader(const CCurlDownloader&) = delete;
    CCurlDownloader& operator=(const CCurlDownloader&) = delete;

    void Start() override;

    // Seconds below 1 byte/s after which an attempt fails; 30 unless a test shortens it.
    void SetStallLimit(long seconds) { m_Client.SetStallLimit(seconds); }

private:
    void dlThreadFun();
    static void OnProgress(void* owner, double speed, double zero, double percent);
    void Send(int32_t code, double value, const std::wstring& text);
    bool Cancelled() const { return m_Cancel; }

    InstallCallback m_Callback;
    std::wstring m_Destination;
    std::wstring m_Url;
    CurlClient m_Client;
    std::mutex m_Lock;                        // guards m_Worker and Start() against the destructor
    std::shared_ptr<Utils::Thread> m_Worker;  // the current run
    bool m_Retried = false;                   // touched only by runs, which never overlap
    std::atomic<bool> m_Cancel{false};
};
