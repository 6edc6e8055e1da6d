// The downloader family: one abstract base, one construction contract (callback, URL,
// destination) and one event vocabulary (DL_CODE_*), so the orchestrator drives the
// single-stream, multi-part and system downloaders the same way.
//
// Every run sends exactly one DL_CODE_START first and ends with exactly one of
// DL_CODE_SUCCESS, DL_CODE_FAIL or DL_CODE_RETRY (DL_CODE_MD5 may come right before it).
// DL_CODE_RETRY is sent at most once in a downloader's life. Start() may be called again
// from inside the callback of the run that is ending. A run cut short by destroying its
// downloader ends without a terminal event.
#pragma once

#include "core/InstallEvents.h"
#include "core/Thread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CDownloader {
public:
    virtual ~CDownloader();
    // Begins the transfer, or begins it again, on a worker thread; returns at once.
    virtual void Start() = 0;
};

// The selection table of m_DownloadType: 2 system downloader, 3 multi-part downloader,
// anything else the single-stream downloader.
std::unique_ptr<CDownloader> CreateDownloader(int32_t downloadType, InstallCallback callback,
                                              const std::wstring& url,
                                              const std::wstring& destination);

// Starts `run` on a new worker named "ABDEF" that first waits for `previous` (the worker
// of the earlier run; it may be the very thread that calls this, asking for a restart from
// inside its own callback). The returned worker has been resumed; null when no thread
// could be created.
std::shared_ptr<Utils::Thread> StartRunAfter(std::shared_ptr<Utils::Thread> previous,
                                             std::function<void()> run);

// True for URLs that name a local file ("file:///"), which are handed over in the ANSI
// code page instead of being treated as web addresses.
bool IsFileUrl(const std::wstring& url);

// Sleeps up to `milliseconds` in short slices; false as soon as `cancelled()` holds.
bool SleepUnlessCancelled(unsigned milliseconds, const std::function<bool()>& cancelled);
