// libcurl (and winsock2.h) before anything brings in windows.h.
#include <winsock2.h>

#include <curl/curl.h>

#include "support/TestServer.h"

#include "services/TextConversion.h"

#include <json/json.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>

#ifndef LUMENO_SOURCE_DIR
#error "LUMENO_SOURCE_DIR must name the source tree"
#endif

namespace {

size_t Collect(char* data, size_t size, size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

} // namespace

std::string TestServer::UnixPath(const std::wstring& path)
{
    if (!path.empty() && path[0] == L'/') return Utils::ToNarrow(path, CP_UTF8);
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert) {
        if (char* unix = convert(path.c_str())) {
            std::string result(unix);
            HeapFree(GetProcessHeap(), 0, unix);
            return result;
        }
    }
    std::string result = Utils::ToNarrow(path, CP_UTF8);
    if (result.size() > 2 && result[1] == ':') result.erase(0, 2);
    for (char& c : result) if (c == '\\') c = '/';
    return result;
}

TestServer::TestServer(const std::wstring& root)
{
    static LONG serial = 0;
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring portFile = std::wstring(folder) + L"\\http_server_" +
                            std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&serial)) + L".port";
    DeleteFileW(portFile.c_str());

    std::wstring script = Utils::ToWide(LUMENO_SOURCE_DIR "/tests/support/http_server.py", CP_UTF8);
    std::wstring command = L"/usr/bin/python3 \"" + script + L"\" --root \"" +
                           Utils::ToWide(UnixPath(root), CP_UTF8) + L"\" --port-file \"" +
                           Utils::ToWide(UnixPath(portFile), CP_UTF8) + L"\" --idle-exit 10";
    // Without standard handles of its own the server would share the test program's
    // Unix output, and keep the test runner's pipe open until it ends.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (nul != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
    }
    PROCESS_INFORMATION pi{};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr,
                                  nul != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &si, &pi);
    DWORD error = GetLastError();
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) {
        fprintf(stderr, "TestServer: cannot start %ls (error %lu)\n", command.c_str(), error);
        return;
    }
    CloseHandle(pi.hThread);
    m_Process = pi.hProcess;

    for (int i = 0; i < 200 && m_Port == 0; ++i) {
        FILE* file = _wfopen(portFile.c_str(), L"rb");
        if (file) {
            char text[16] = {};
            fread(text, 1, sizeof(text) - 1, file);
            fclose(file);
            m_Port = atoi(text);
        }
        if (m_Port == 0) Sleep(50);
    }
    DeleteFileW(portFile.c_str());
    if (m_Port == 0) {
        fprintf(stderr, "TestServer: no port from %ls\n", command.c_str());
        return;
    }
    m_Pinger = std::thread([this] { PingLoop(); });
}

TestServer::~TestServer()
{
    Stop();
}

void TestServer::PingLoop()
{
    std::unique_lock<std::mutex> lock(m_Lock);
    while (!m_Wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_Stopping; })) {
        lock.unlock();
        Control("GET", "/_control/ping", "", nullptr);
        lock.lock();
    }
}

void TestServer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Stopping = true;
    }
    m_Wake.notify_all();
    if (m_Pinger.joinable()) m_Pinger.join();
    if (m_Port != 0) Control("GET", "/_control/quit", "", nullptr);
    if (m_Process) {
        CloseHandle(m_Process);
        m_Process = nullptr;
    }
}

std::string TestServer::UrlA(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_Port) + path;
}

std::wstring TestServer::Url(const std::string& path) const
{
    return Utils::ToWide(UrlA(path), CP_UTF8);
}

bool TestServer::Control(const std::string& method, const std::string& path,
                         const std::string& body, std::string* response)
{
    if (m_Port == 0) return false;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return false;
    std::string text;
    std::string url = UrlA(path);
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &text);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 20L);
    if (method == "POST") {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    if (curl_easy_perform(curl.get()) != CURLE_OK) return false;
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (response) *response = text;
    return status == 200;
}

std::string TestServer::Md5Of(const std::string& name)
{
    std::string text;
    if (!Control("GET", "/_control/md5/" + name, "", &text)) return "";
    return text;
}

std::wstring TestServer::FileUrl(const std::string& name)
{
    return Url("/software/" + Md5Of(name) + "/" + name);
}

bool TestServer::SetFaults(const std::string& json)
{
    return Control("POST", "/_control/faults", json, nullptr);
}

bool TestServer::Reset()
{
    return Control("POST", "/_control/reset", "", nullptr);
}

std::vector<TestServer::Request> TestServer::Requests()
{
    std::vector<Request> result;
    std::string text;
    if (!Control("GET", "/_control/log", "", &text)) return result;
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(builder, in, &root, &errors) || !root.isArray()) return result;
    for (const Json::Value& item : root) {
        Request r;
        r.method = item["method"].asString();
        r.path = item["path"].asString();
        r.range = item["range"].asString();
        r.status = item["status"].asInt();
        result.push_back(r);
    }
    return result;
}
