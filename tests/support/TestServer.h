// A real HTTP server for tests: tests/support/http_server.py started as a child process
// on a free port of 127.0.0.1, with its fault-injection and request-log control API.
// A Linux program started from Wine has no usable standard handles, so the port comes
// through a file and a background ping keeps the server alive: it is asked to quit when
// this object goes away, and ends by itself 10 s after its last request should the test
// program die.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string range;  // the Range header as sent, "" when none
        int status = 0;
    };

    // Serves the files of `root` (a Windows or Unix path). Port() is 0 when it failed.
    explicit TestServer(const std::wstring& root);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return m_Port; }
    // "http://127.0.0.1:<port>" + path.
    std::string UrlA(const std::string& path) const;
    std::wstring Url(const std::string& path) const;
    // The MD5 of a served file as the server computes it, "" when unknown.
    std::string Md5Of(const std::string& name);
    // "/software/<md5 of name>/<name>" as a full URL.
    std::wstring FileUrl(const std::string& name);

    // Replaces the fault directives (a JSON list, see http_server.py).
    bool SetFaults(const std::string& json);
    // Clears faults, counters and the request log.
    bool Reset();
    // The file requests seen since the last reset, in order.
    std::vector<Request> Requests();

    // The host path of a Windows path (or the path itself when it is one already).
    static std::string UnixPath(const std::wstring& path);

private:
    bool Control(const std::string& method, const std::string& path, const std::string& body,
                 std::string* response);
    void Stop();

    void PingLoop();

    HANDLE m_Process = nullptr;
    int m_Port = 0;
    std::thread m_Pinger;
    std::mutex m_Lock;
    std::condition_variable m_Wake;
    bool m_Stopping = false;
};
