// One package transfer in a single HTTP(S) stream: resolves the final URL and the file
// length with header-only requests, appends the body to destination + ".part" (resuming
// what an earlier attempt left), and gives the ".part" file the destination name when
// the transfer is complete. Used by one thread at a time; Cancel() may come from any.
#pragma once

#include "download/CurlHandle.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

class CurlClient {
public:
    // (owner, average speed in bytes/s, 0.0, percent of the file on disk)
    using ProgressSink = void (*)(void* owner, double speed, double zero, double percent);

    // Results of Start() besides 0 and libcurl's codes.
    static const int kTooSmall = -998;  // length unknown or below 1 MiB; nothing fetched
    static const int kNoHandle = -997;  // no libcurl easy handle
    static const int kFileError = -996; // ".part" file could not be opened or moved
    static const int kPartialFile = 18; // libcurl's CURLE_PARTIAL_FILE: the body ended early
    static const int64_t kMinimumLength = 1048576;

    CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner,
               ProgressSink sink);
    // Cancels, removes the ".part" file.
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    // One attempt: 0 when the file is complete under the destination name, else an error.
    int Start();

    // Header-only request for `url`, following redirects; the caller releases the handle.
    CURL* Head(const std::string& url);
    // Content length of the request on `handle` when its status is 200 to 399, else -1.0.
    double GetDownloadFileLength(CURL* handle);
    // Final URL after redirects; `url` itself when the request fails.
    std::string GetRealUrl_Str(const std::string& url);
    // Content length announced for `url` whatever the status; -1.0 when none.
    double GetDownloadFileLength_Str(const std::string& url);
    // libcurl's transfer-information callback; `client` is the CurlClient.
    static int ProgressCallback(void* client, CurlOffset dltotal, CurlOffset dlnow,
                                CurlOffset ultotal, CurlOffset ulnow);

    // Makes a running transfer (and every later one) abort.
    void Cancel() { m_Cancel = true; }
    bool Cancelled() const { return m_Cancel; }
    // Seconds below 1 byte/s after which an attempt fails (tests shorten it).
    void SetStallLimit(long seconds) { m_StallSeconds = seconds; }

    const std::string& RealUrl() const { return m_RealUrl; }
    double Length() const { return m_Length; }
    int64_t ResumeOffset() const { return m_ResumeOffset; }

private:
    CURL* NewHeaderRequest(const std::string& url);
    int Transfer(CURL* handle, FILE*& file);
    int RestartPartFile(FILE*& file);

    std::wstring m_Url;
    std::wstring m_FilePath;
    void* m_Owner;
    ProgressSink m_Sink;
    double m_Length = -1.0;
    int64_t m_ResumeOffset = -1;
    time_t m_LastProgressTime = 0;
    std::atomic<bool> m_Cancel{false};
    CURL* m_Handle = nullptr;
    std::string m_RealUrl;
    long m_StallSeconds;
};
