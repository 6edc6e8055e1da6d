// The system downloader: hands the transfer to the Windows URL moniker service
// (URLDownloadToFileW, with the system's proxy and cache settings) and follows it through
// a bind-status callback. No digest check, no retry request: three attempts, then
// success or failure.
#pragma once

#include "download/Downloader.h"

#include <urlmon.h>

#include <atomic>
#include <memory>
#include <mutex>

class CWinDownloader : public CDownloader {
public:
    // Follows one transfer; lives as long as its downloader, so reference counting is
    // not needed.
    class CBindCallback : public IBindStatusCallbackEx {
    public:
        CBindCallback() = default;
        virtual ~CBindCallback();
        CBindCallback(const CBindCallback&) = delete;
        CBindCallback& operator=(const CBindCallback&) = delete;

        STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
        STDMETHOD_(ULONG, AddRef)() override { return 0; }
        STDMETHOD_(ULONG, Release)() override { return 0; }
        STDMETHOD(OnStartBinding)(DWORD reserved, IBinding* binding) override;
        STDMETHOD(GetPriority)(LONG*) override { return E_NOTIMPL; }
        STDMETHOD(OnLowResource)(DWORD) override { return E_NOTIMPL; }
        STDMETHOD(OnProgress)(ULONG progress, ULONG progressMax, ULONG statusCode,
                              LPCWSTR statusText) override;
        STDMETHOD(OnStopBinding)(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
        STDMETHOD(GetBindInfo)(DWORD* flags, BINDINFO* info) override;
        STDMETHOD(OnDataAvailable)(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
        STDMETHOD(OnObjectAvailable)(REFIID, IUnknown*) override { return E_NOTIMPL; }
        STDMETHOD(GetBindInfoEx)(DWORD*, BINDINFO*, DWORD*, DWORD*) override { return E_NOTIMPL; }

        // Sets the cancel flag and aborts the binding in progress, if any. Any thread may
        // call it: a transfer whose server has stopped sending calls OnProgress no more, so
        // the flag alone would leave the caller waiting for the server.
        void Cancel();
        // Lets go of the binding of the attempt that has just ended (worker thread).
        void EndBinding();

        InstallCallback m_Callback;
        IBinding* m_Binding = nullptr;  // held while an attempt runs, for Cancel()
        std::mutex m_BindingLock;       // m_Binding between the worker and Cancel()
        std::atomic<bool> m_Cancel{false};
    };

    CWinDownloader(InstallCallback callback, const std::wstring& url,
                   const std::wstring& destination);
    // Aborts a running transfer and waits for the worker.
    ~CWinDownloader() override;
    CWinDownloader(const CWinDownloader&) = delete;
    CWinDownloader& operator=(const CWinDownloader&) = delete;

    void Start() override;

    // The URL as handed to the service: "file:///" URLs unchanged, all others
    // percent-encoded from UTF-8 (a blank becomes "+").
    static std::wstring DownloadUrlText(const std::wstring& url);

private:
    void DownloadThread();
    void Send(int32_t code, double value, const std::wstring& text);

    InstallCallback m_Callback;
    std::wstring m_Destination;
    std::wstring m_Url;
    CBindCallback m_BindCallback;
    std::mutex m_Lock;
    std::shared_ptr<Utils::Thread> m_Worker;
    bool m_Resumed = false;  // the worker made at construction has been let run
};
