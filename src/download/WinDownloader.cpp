#include "download/WinDownloader.h"

#include "core/DebugLog.h"
#include "services/TextConversion.h"

CWinDownloader::CBindCallback::~CBindCallback()
{
    m_Cancel = true;
    EndBinding();
    m_Callback = nullptr;
}

void CWinDownloader::CBindCallback::Cancel()
{
    m_Cancel = true;
    std::lock_guard<std::mutex> lock(m_BindingLock);
    if (m_Binding) m_Binding->Abort();
}

void CWinDownloader::CBindCallback::EndBinding()
{
    std::lock_guard<std::mutex> lock(m_BindingLock);
    if (m_Binding) m_Binding->Release();
    m_Binding = nullptr;
}

HRESULT CWinDownloader::CBindCallback::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IBindStatusCallback ||
        riid == IID_IBindStatusCallbackEx) {
        *object = static_cast<IBindStatusCallbackEx*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CWinDownloader::CBindCallback::OnStartBinding(DWORD, IBinding* binding)
{
    std::lock_guard<std::mutex> lock(m_BindingLock);
    if (m_Binding) m_Binding->Release();
    m_Binding = binding;
    if (m_Binding) {
        m_Binding->AddRef();
        // Cancelled before the binding was known: Cancel() could not reach it.
        if (m_Cancel) m_Binding->Abort();
    }
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG,
                                                  LPCWSTR)
{
    if (m_Cancel) return E_ABORT;
    if (progressMax == 0) return S_OK;
    if (m_Callback) m_Callback(DL_CODE_PROGRESS, double(uint32_t(progress)) / double(uint32_t(progressMax)), L"");
    return S_OK;
}

HRESULT CWinDownloader::CBindCallback::GetBindInfo(DWORD*, BINDINFO* info)
{
    if (info) info->dwCodePage = CP_UTF8;
    return E_NOTIMPL;
}

CWinDownloader::CWinDownloader(InstallCallback callback, const std::wstring& url,
                               const std::wstring& destination)
    : m_Callback(std::move(callback)), m_Destination(destination), m_Url(url)
{
    m_Worker = std::make_shared<Utils::Thread>();
    m_Worker->Start(nullptr, L"ABDEF", [this](void*) { DownloadThread(); });
}

CWinDownloader::~CWinDownloader()
{
    std::shared_ptr<Utils::Thread> worker;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_BindCallback.m_Cancel = true;
        worker = std::move(m_Worker);
        // A worker that never ran must run now to end: it sees the cancel flag at once.
        if (worker && !m_Resumed) worker->Resume();
    }
    m_BindCallback.Cancel();
    if (worker) worker->Join();
}

void CWinDownloader::Start()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_BindCallback.m_Cancel) return;
    if (!m_Resumed && m_Worker && m_Worker->m_Handle) {
        m_Resumed = true;
        m_Worker->Resume();
        return;
    }
    m_Resumed = true;
    std::shared_ptr<Utils::Thread> next = StartRunAfter(m_Worker, [this] { DownloadThread(); });
    if (next) m_Worker = std::move(next);
}

void CWinDownloader::Send(int32_t code, double value, const std::wstring& text)
{
    if (m_Callback) m_Callback(code, value, text);
}

std::wstring CWinDownloader::DownloadUrlText(const std::wstring& url)
{
    if (IsFileUrl(url)) return url;
    return Utils::UrlEncode(url);
}

void CWinDownloader::DownloadThread()
{
    if (m_BindCallback.m_Cancel) return;
    // Copied here rather than in Start(): an earlier run may still be reporting through it
    // while Start() is called, and runs never overlap.
    m_BindCallback.m_Callback = m_Callback;
    HRESULT com = CoInitialize(nullptr);
    Send(DL_CODE_START, 1.0, L"");
    std::wstring url = DownloadUrlText(m_Url);
    HRESULT result = E_FAIL;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        result = URLDownloadToFileW(nullptr, url.c_str(), m_Destination.c_str(), 0,
                                    &m_BindCallback);
        m_BindCallback.EndBinding();
        if (result == S_OK) {
            Send(DL_CODE_SUCCESS, 0.0, L"URLDownloadToFile");
            break;
        }
        DEBUG_LOG(L"URLDownloadToFileW attempt %d: 0x%08lx\r\n", attempt, (unsigned long)result);
        if (!SleepUnlessCancelled(1000, [this] { return m_BindCallback.m_Cancel.load(); })) break;
        if (attempt == 3) Send(DL_CODE_FAIL, double(int32_t(result)), L"URLDownloadToFile");
    }
    // A transfer cut short by destroying the downloader leaves no half package behind.
    if (result != S_OK && m_BindCallback.m_Cancel) DeleteFileW(m_Destination.c_str());
    if (SUCCEEDED(com)) CoUninitialize();
}
