#include "download/CurlClient.h"

#include "download/TransferGuards.h"

#include "core/DebugLog.h"
#include "download/Downloader.h"
#include "services/TextConversion.h"

#include <windows.h>

#include <io.h>

static_assert(CurlClient::kPartialFile == CURLE_PARTIAL_FILE, "libcurl's partial-file code");

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return fwrite(data, size, count, static_cast<FILE*>(file)) * size;
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
    PrepareHeaderRequest(handle, url, &m_Cancel, m_StallSeconds);
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

int CurlClient::ProgressCallback(void* client, CurlOffset dltotal, CurlOffset dlnow, CurlOffset,
                                 CurlOffset)
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

// Empties the ".part" file: what it holds is no piece of the file being fetched.
int CurlClient::RestartPartFile(FILE*& file)
{
    file = _wfreopen((m_FilePath + L".part").c_str(), L"wb", file);
    if (!file) return kFileError;
    setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
    m_ResumeOffset = 0;
    return 0;
}

int CurlClient::Transfer(CURL* handle, FILE*& file)
{
    int result = 0;
    m_ResumeOffset = FileSize(m_FilePath + L".part");
    if (m_ResumeOffset > 0 && m_Length >= 0 && m_ResumeOffset > int64_t(m_Length)) {
        DEBUG_LOG(L"part file longer than the file, starting again\r\n");
        if (RestartPartFile(file) != 0) return kFileError;
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
    result |= SetBodyTransferOptions(handle, WriteToFile, file, &CurlClient::ProgressCallback, this,
                                     m_StallSeconds);

    if (m_ResumeOffset > 0)
        result |= curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, curl_off_t(m_ResumeOffset));

    if (result == 0) {
        result = curl_easy_perform(handle);
        if (result == CURLE_RANGE_ERROR && m_ResumeOffset > 0 && !m_Cancel) {
            // The server answered the resume request with the whole file: take it from
            // the start rather than failing every attempt the same way.
            DEBUG_LOG(L"resume refused, fetching the whole file\r\n");
            result = RestartPartFile(file);
            if (result == 0) {
                curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
                curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, curl_off_t(0));
                result = curl_easy_perform(handle);
            }
        }
    }
    if (result == 0) {
        if (fflush(file) != 0) {
            result = kFileError;
        } else if (_filelengthi64(_fileno(file)) < int64_t(m_Length)) {
            // The answer looked complete but announced fewer bytes than the file has: a
            // truncated package must not be taken for the whole one.
            DEBUG_LOG(L"transfer ended short of %I64d bytes\r\n", int64_t(m_Length));
            result = kPartialFile;
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
