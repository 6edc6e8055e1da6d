#include "download/Downloader.h"

#include "core/DebugLog.h"
#include "download/CurlDownloader.h"
#include "download/MTCurlDownloader.h"
#include "download/WinDownloader.h"

CDownloader::~CDownloader() = default;

std::unique_ptr<CDownloader> CreateDownloader(int32_t downloadType, InstallCallback callback,
                                              const std::wstring& url,
                                              const std::wstring& destination)
{
    switch (downloadType) {
    case 2:
        return std::make_unique<CWinDownloader>(std::move(callback), url, destination);
    case 3:
        return std::make_unique<CMTCurlDownloader>(std::move(callback), url, destination);
    default:
        return std::make_unique<CCurlDownloader>(std::move(callback), url, destination);
    }
}

std::shared_ptr<Utils::Thread> StartRunAfter(std::shared_ptr<Utils::Thread> previous,
                                             std::function<void()> run)
{
    auto worker = std::make_shared<Utils::Thread>();
    // The new worker, not the caller, waits for the previous one: the caller may be it.
    worker->Start(nullptr, L"ABDEF", [previous, run](void*) mutable {
        if (previous) {
            previous->Join();
            previous.reset();
        }
        run();
    });
    if (!worker->m_Handle) {
        DEBUG_LOG(L"no worker thread for the download run\r\n");
        return nullptr;
    }
    worker->Resume();
    return worker;
}

bool IsFileUrl(const std::wstring& url)
{
    return url.compare(0, 8, L"file:///") == 0;
}

bool SleepUnlessCancelled(unsigned milliseconds, const std::function<bool()>& cancelled)
{
    const unsigned slice = 50;
    for (unsigned waited = 0; waited < milliseconds; waited += slice) {
        if (cancelled()) return false;
        Sleep(milliseconds - waited < slice ? milliseconds - waited : slice);
    }
    return !cancelled();
}
