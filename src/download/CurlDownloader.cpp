#include "download/CurlDownloader.h"

#include "core/DebugLog.h"
#include "download/PackageDigest.h"

CCurlDownloader::CCurlDownloader(InstallCallback callback, const std::wstring& url,
                                 const std::wstring& destination)
    : m_Callback(std::move(callback)), m_Destination(destination), m_Url(url),
      m_Client(url, destination, this, &CCurlDownloader::OnProgress)
{
    DeleteFileW((destination + L".part").c_str());
}

CCurlDownloader::~CCurlDownloader()
{
    std::shared_ptr<Utils::Thread> worker;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Cancel = true;
        m_Client.Cancel();
        worker = std::move(m_Worker);
    }
    if (worker) worker->Join();
}

void CCurlDownloader::Start()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_Cancel) return;
    // When called from the run's own callback the new run begins once that run returned.
    std::shared_ptr<Utils::Thread> next = StartRunAfter(m_Worker, [this] { dlThreadFun(); });
    if (next) m_Worker = std::move(next);
}

void CCurlDownloader::Send(int32_t code, double value, const std::wstring& text)
{
    if (m_Callback) m_Callback(code, value, text);
}

void CCurlDownloader::OnProgress(void* owner, double speed, double, double percent)
{
    CCurlDownloader* self = static_cast<CCurlDownloader*>(owner);
    if (speed > 0 && percent <= 100) self->Send(DL_CODE_PROGRESS, percent / 100, L"");
}

void CCurlDownloader::dlThreadFun()
{
    if (Cancelled()) return;
    Send(DL_CODE_START, 1.0, L"");
    int code = m_Client.Start();
    int budget = 12;
    while (code != 0) {
        if (Cancelled()) return;
        budget -= code == CurlClient::kPartialFile ? 1 : 2;
        if (budget <= 0) {
            Send(DL_CODE_FAIL, code, L"LibCurl");
            return;
        }
        DEBUG_LOG(L"CurlDownLoader Code=%d\r\n", code);
        if (!SleepUnlessCancelled(500, [this] { return Cancelled(); })) return;
        code = m_Client.Start();
    }
    if (Cancelled()) return;

    switch (CheckPackageDigest(m_Client.RealUrl(), m_Destination)) {
    case DigestVerdict::NoDigest:
        Send(DL_CODE_MD5, 0.0, L"curl获取url-md5失败");
        break;
    case DigestVerdict::Mismatch:
        Send(DL_CODE_MD5, 0.0, L"curl文件md5校验失败");
        if (m_Retried) {
            Send(DL_CODE_FAIL, 0.0, L"LibCurl");
        } else {
            m_Retried = true;
            Send(DL_CODE_RETRY, 0.0, L"LibCurl");
        }
        return;
    case DigestVerdict::Good:
        break;
    }
    Send(DL_CODE_SUCCESS, 0.0, L"LibCurl");
}
