#include "download/CurlClient.h"

#include "core/DebugLog.h"
#include "download/TransferGuards.h"
#include "services/TextConversion.h"

#include <windows.h>

#include <cstdio>

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*)
{
    return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

// Header requests carry no progress of their own, but must still stop with the client.
int AbortWhenCancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

bool IsFileUrl(const std::wstring& url)
{
    return url.compare(0, 8, L"file:///") == 0;
}

// Size of a file, -1 when its status cannot be read.
int64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

CurlClient::CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner,
                       ProgressSink sink)
    : m_Url(url), m_FilePath(filePath), m_Owner(owner), m_Sink(sink),
      m_StallSeconds(kDefaultStallSeconds)
{
}

CurlClient::~CurlClient()
{
    m_Cancel = true;
    DeleteFileW((m_FilePath + L".part").c_str());
}

CURL* CurlClient::NewHeaderRequest(const std::string& url)
{
    CURL* handle = curl_easy_init();
    if (!handle) return nullptr;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, AbortWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &m_Cancel);
    ApplyTransferGuards(handle, m_StallSeconds);
    return handle;
}

CURL* CurlClient::Head(const std::string& url)
{
    CURL* handle = NewHeaderRequest(url);
    if (!handle) return nullptr;
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    CURLcode code = curl_easy_perform(handle);
    DEBUG_LOG(L"error:%d:%hs\r\n", code, curl_easy_strerror(code));
    return handle;
}

double CurlClient::GetDownloadFileLength(CURL* handle)
{
    curl_off_t length = -1;
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        length = -1;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    DEBUG_LOG(L"error:%d:%hs\r\n", 0, curl_easy_strerror(CURLE_OK));
    if (status < 200 || status > 399 || length < 0) return -1.0;
    return double(length);
}

std::string CurlClient::GetRealUrl_Str(const std::string& url)
{
    CURL* handle = NewHeaderRequest(url);
    if (!handle) return url;
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    std::string result = url;
    CURLcode code = curl_easy_perform(handle);
    if (code == CURLE_OK) {
        char* effective = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
            effective && *effective)
            result = effective;
    } else {
        DEBUG_LOG(L"error:%d:%hs\r\n", code, curl_easy_strerror(code));
    }
    curl_easy_cleanup(handle);
    return result;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url)
{
    CURL* handle = NewHeaderRequest(url);
    if (!handle) return -1.0;
    curl_easy_setopt(handle, CURLOPT_HEADER, 1L);
    curl_off_t length = -1;
    CURLcode code = curl_easy_perform(handle);
    DEBUG_LOG(L"error:%d:%hs\r\n", code, curl_easy_strerror(code));
    if (code != CURLE_OK ||
        curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        length = -1;
    curl_easy_cleanup(handle);
    return length < 0 ? -1.0 : double(length);
}

int CurlClient::ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow, curl_off_t,
                                 curl_off_t)
{
    CurlClient* self = static_cast<CurlClient*>(client);
    if (self->m_Cancel) return 1;
    time_t now = time(nullptr);
    if (now == self->m_LastProgressTime) return 0;
    self->m_LastProgressTime = now;

    curl_off_t bytesPerSecond = 0;
    if (self->m_Handle) curl_easy_getinfo(self->m_Handle, CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond);
    double speed = double(bytesPerSecond);
    int64_t offset = self->m_ResumeOffset > 0 ? self->m_ResumeOffset : 0;
    double percent = double(dlnow + offset) / self->m_Length * 100.0;
    if (percent != 0.0) {
        if (self->m_Sink) self->m_Sink(self->m_Owner, speed, 0.0, percent);
        if (dltotal != 0)
            DEBUG_LOG(L" %dM %dM   progress:%f%%  speed:%f \n", int(dlnow / 1048576),
                      int(dltotal / 1048576), percent, speed / 1024);
    }
    return 0;
}

int CurlClient::Transfer(CURL* handle, FILE*& file)
{
    int result = 0;
    std::wstring partPath = m_FilePath + L".part";
    m_ResumeOffset = FileSize(m_FilePath + L".part");
    if (m_ResumeOffset > 0 && m_Length >= 0 && m_ResumeOffset > int64_t(m_Length)) {
        // Longer than the file itself: not a piece of it, so start again.
        DEBUG_LOG(L"part file longer than the file, starting again\r\n");
        file = _wfreopen(partPath.c_str(), L"wb", file);
        if (!file) return kFileError;
        setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
        m_ResumeOffset = 0;
    }

    static const char* const kLines[] = {"Connection: keep-alive", "Accept-Encoding: gzip, deflate"};
    curl_slist* headers = nullptr;
    for (const char* line : kLines) headers = curl_slist_append(headers, line);
    result |= curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    result |= curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_TCP_KEEPIDLE, 10L);
    result |= curl_easy_setopt(handle, CURLOPT_TCP_KEEPINTVL, 10L);
    result |= curl_easy_setopt(handle, CURLOPT_TIMEOUT, 0L);
    result |= curl_easy_setopt(handle, CURLOPT_URL, m_RealUrl.c_str());
    result |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToFile);
    result |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
    result |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    result |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    result |= ApplyTransferGuards(handle, m_StallSeconds);
    result |= curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);

    if (m_ResumeOffset > 0)
        result |= curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, curl_off_t(m_ResumeOffset));

    if (result == 0) {
        result = curl_easy_perform(handle);
        if (result == CURLE_RANGE_ERROR && m_ResumeOffset > 0 && !m_Cancel) {
            // The server answered the resume request with the whole file: take it from
            // the start rather than failing every attempt the same way.
            DEBUG_LOG(L"resume refused, fetching the whole file\r\n");
            file = _wfreopen(partPath.c_str(), L"wb", file);
            if (!file) {
                result = kFileError;
            } else {
                setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
                m_ResumeOffset = 0;
                curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
                curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, curl_off_t(0));
                result = curl_easy_perform(handle);
            }
        }
    }
    curl_slist_free_all(headers);
    return result;
}

int CurlClient::Start()
{
    DEBUG_LOG(L"start download\r\n");
    std::wstring partPathW = m_FilePath + L".part";
    std::string url = Utils::ToNarrow(m_Url, IsFileUrl(m_Url) ? CP_ACP : CP_UTF8);

    if (m_RealUrl.empty() || m_Length < kMinimumLength) {
        if (CURL* h = Head(url)) {
            char* effective = nullptr;
            if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
                m_RealUrl = effective;
            m_Length = GetDownloadFileLength(h);
            curl_easy_cleanup(h);
        }
    }

    int result = 0;
    FILE* file = nullptr;
    if (m_RealUrl.empty() || m_Length < kMinimumLength) {
        m_RealUrl = GetRealUrl_Str(url);
        if (!m_RealUrl.empty()) m_Length = GetDownloadFileLength_Str(m_RealUrl);
        if (m_Length < kMinimumLength) result = kTooSmall;
    }
    if (result == 0) {
        m_Handle = curl_easy_init();
        if (!m_Handle) {
            result = kNoHandle;
        } else {
            file = _wfopen(partPathW.c_str(), L"ab+");
            if (!file)
                result = kFileError;
            else
                setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
        }
    }
    if (result == 0 && m_Cancel) result = CURLE_ABORTED_BY_CALLBACK;
    if (result == 0) result = Transfer(m_Handle, file);

    DEBUG_LOG(L"error:%d:%hs\r\n", result,
              result > 0 ? curl_easy_strerror(CURLcode(result)) : "client error");
    if (m_Handle) {
        curl_easy_cleanup(m_Handle);
        m_Handle = nullptr;
    }
    if (file && fclose(file) != 0 && result == 0) result = kFileError;
    if (result == 0) {
        std::wstring destination = m_FilePath;
        DeleteFileW(destination.c_str());
        if (!MoveFileW(partPathW.c_str(), destination.c_str())) {
            DEBUG_LOG(L"cannot move the part file: %lu\r\n", GetLastError());
            result = kFileError;
        }
    }
    DEBUG_LOG(L"end download\r\n");
    return result;
}
