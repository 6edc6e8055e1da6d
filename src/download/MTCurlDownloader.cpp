// libcurl (and winsock2.h) before anything brings in windows.h.
#include "download/TransferGuards.h"

#include "download/MTCurlDownloader.h"

#include "core/DebugLog.h"
#include "core/InstallerConfig.h"
#include "download/ByteRanges.h"
#include "download/PackageDigest.h"
#include "services/TextConversion.h"

#include <windows.h>

#include <ctime>

CMTCurlDownloader::CMTCurlDownloader(InstallCallback callback, const std::wstring& url,
                                     const std::wstring& destination)
    : m_Callback(std::move(callback)), m_Destination(destination), m_Url(url)
{
    DeleteFileW(m_Destination.c_str());
    DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader()
{
    std::shared_ptr<Utils::Thread> worker;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Cancel = true;
        worker = std::move(m_Worker);
    }
    // The start phase first (it waits for its predecessors), then the waiting thread,
    // which itself waits for the range threads.
    if (worker) worker->Join();
    std::thread waiter;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        waiter = std::move(m_Waiter);
    }
    if (waiter.joinable()) waiter.join();
    ReleaseNodes();
    // Kept only for a restart of this downloader, which can no longer come.
    DeletePartFiles();
}

void CMTCurlDownloader::Start()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_Cancel) return;
    // The new run waits for the earlier run's start phase and then for the waiting thread
    // that start phase made: only then is that thread known, even when Start() comes
    // twice in a row. The waiting thread may be the caller (a restart asked for from its
    // own callback); the new worker never is.
    std::shared_ptr<Utils::Thread> next = StartRunAfter(m_Worker, [this] {
        std::thread waiter;
        {
            std::lock_guard<std::mutex> guard(m_Lock);
            waiter = std::move(m_Waiter);
        }
        if (waiter.joinable()) waiter.join();
        Start_Down();
    });
    if (next) m_Worker = std::move(next);
}

void CMTCurlDownloader::Send(int32_t code, double value, const std::wstring& text)
{
    if (m_Callback) m_Callback(code, value, text);
}

std::wstring CMTCurlDownloader::PartPath(size_t index) const
{
    return m_Destination + L"_" + std::to_wstring(index);
}

void CMTCurlDownloader::DeletePartFiles()
{
    DeleteFileW(PartPath(0).c_str());
    DeleteFileW(PartPath(1).c_str());
}

void CMTCurlDownloader::Start_Down()
{
    if (Cancelled()) return;
    Send(DL_CODE_START, 1.0, L"");
    DEBUG_LOG(L"start download\r\n");
    std::string url = Utils::ToNarrow(m_Url, IsFileUrl(m_Url) ? CP_ACP : CP_UTF8);

    DeleteFileW(m_Destination.c_str());
    if (m_LastPercent == 0.0) DeletePartFiles();

    if (m_RealUrl.empty() || m_Length < 256) {
        if (!getRealDownloadUrl(url)) {
            Send(DL_CODE_FAIL, 0.0, L"LibCurl");
            return;
        }
    }

    int64_t base = 0;
    std::vector<ByteRange> ranges = SplitByteRanges(m_Length);
    for (size_t i = 0; i < ranges.size(); ++i) {
        int64_t rangeSize = ranges[i].last - ranges[i].first + 1;
        auto node = std::make_unique<DownloadPartNode>();
        node->owner = this;
        node->path = PartPath(i);
        node->url = m_RealUrl;
        int64_t have = FileSize(node->path);
        if (have > rangeSize) {
            // More than the range can hold: not a piece of this file.
            DeleteFileW(node->path.c_str());
            have = 0;
        }
        node->received = have > 0 ? have : 0;
        node->next = base + node->received;
        node->last = base + rangeSize - 1;
        node->handle = curl_easy_init();
        if (node->last < node->next) {
            node->status = 0;
        } else if (!node->handle) {
            node->status = -997;
        } else {
            node->status = -1;
            node->file = _wfopen(node->path.c_str(), L"ab");
            if (!node->file)
                node->status = -2;
            else
                setvbuf(node->file, nullptr, _IOFBF, kFileBufferBytes);
        }
        DEBUG_LOG(L"range %d: %I64d-%I64d status %d\r\n", int(i), node->next, node->last,
                  node->status);
        m_Parts.push_back(std::move(node));
        base += rangeSize;
    }

    for (auto& node : m_Parts) {
        if (node->status != -1) continue;
        if (Cancelled()) break;
        ++m_Active;
        DownloadPartNode* raw = node.get();
        node->thread = std::thread([this, raw] { downloadThreadFun(raw); });
        SleepUnlessCancelled(100, [this] { return Cancelled(); });
    }

    std::lock_guard<std::mutex> lock(m_Lock);
    m_Waiter = std::thread([this] { waitForFinishThreadFun(); });
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& url)
{
    m_RealUrl.clear();
    m_Md5.clear();
    m_Length = 0;
    if (!Config().m_CurlReady) return false;
    CURL* handle = curl_easy_init();
    if (!handle) return false;

    curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
    int result = PrepareHeaderRequest(handle, url, &m_Cancel, m_StallSeconds);
    result |= curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    result |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    if (result == 0) result = curl_easy_perform(handle);
    if (result != 0) {
        DEBUG_LOG(L"error:%d:%hs\r\n", result, curl_easy_strerror(CURLcode(result)));
        curl_easy_cleanup(handle);
        curl_slist_free_all(headers);
        return false;
    }

    char* effective = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective &&
        *effective) {
        m_RealUrl = effective;
        DEBUG_LOG(L"Download File real url %hs\r\n", m_RealUrl.c_str());
        m_Md5 = GetUrlMd5(m_RealUrl);
    }
    curl_off_t length = -1;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length >= 0 && status >= 200 && status <= 399) {
        m_Length = length;
        DEBUG_LOG(L"Download File Length %I64d\r\n", m_Length);
    }
    curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
    return !m_RealUrl.empty() && m_Length > 255;
}

size_t CMTCurlDownloader::HeaderLine(char* data, size_t size, size_t count, void* param)
{
    DownloadPartNode* node = static_cast<DownloadPartNode*>(param);
    std::string line(data, size * count);
    std::string value;
    if (line.compare(0, 5, "HTTP/") == 0) {
        // A new response (after a redirect): forget the earlier one's range.
        node->rangeFirst = node->rangeLast = -1;
    } else if (HeaderValue(line, "Content-Range", &value)) {
        if (!ParseContentRange(value, &node->rangeFirst, &node->rangeLast))
            node->rangeFirst = node->rangeLast = -1;
    }
    return size * count;
}

size_t CMTCurlDownloader::WritePart(char* data, size_t size, size_t count, void* param)
{
    DownloadPartNode* node = static_cast<DownloadPartNode*>(param);
    if (!node->checked) {
        // Bytes count only when they are the asked-for range: a server or proxy that
        // ignores Range would otherwise put the file's first bytes into every part.
        node->checked = true;
        long status = 0;
        curl_easy_getinfo(node->handle, CURLINFO_RESPONSE_CODE, &status);
        if (status == 206)
            node->accepted = node->rangeFirst == node->askedFirst && node->rangeLast == node->last;
        else if (status == 200)
            node->accepted = node->askedFirst == 0 && node->last == node->owner->m_Length - 1;
        if (!node->accepted)
            DEBUG_LOG(L"answer %ld with range %I64d-%I64d refused for %I64d-%I64d\r\n", status,
                      node->rangeFirst, node->rangeLast, node->askedFirst, node->last);
    }
    if (!node->accepted) return 0;

    size_t offered = size * count;
    size_t written = 0;
    if (node->file && node->next <= node->last) {
        int64_t room = node->last - node->next + 1;
        size_t take = int64_t(offered) > room ? size_t(room) : offered;
        written = fwrite(data, 1, take, node->file);
        node->next += int64_t(written);
    }
    node->received += int64_t(written);
    return written;
}

int CMTCurlDownloader::Progress(void* param, CurlOffset, CurlOffset, CurlOffset, CurlOffset)
{
    CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(param);
    if (self->m_Cancel) return 1;
    int64_t now = int64_t(time(nullptr));
    int64_t before = self->m_LastProgressTime;
    if (now == before || !self->m_LastProgressTime.compare_exchange_strong(before, now)) return 0;

    double percent = 0.0;
    if (self->m_Length >= 256) {
        for (const auto& node : self->m_Parts) {
            int64_t received = node->received;
            if (received > 0) percent += double(received) * 100.0 / double(self->m_Length);
        }
        if (percent > 100.0) return 0;
    }
    std::lock_guard<std::mutex> lock(self->m_ProgressLock);
    if (percent - self->m_LastPercent >= 1.0) {
        self->m_LastPercent = percent;
        self->Send(DL_CODE_PROGRESS, percent / 100.0, L"");
    }
    return 0;
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* node)
{
    std::string range = std::to_string(node->next) + "-" + std::to_string(node->last);
    CURL* h = node->handle;
    int result = 0;
    result |= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    result |= curl_easy_setopt(h, CURLOPT_URL, node->url.c_str());
    result |= curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    result |= SetBodyTransferOptions(h, &CMTCurlDownloader::WritePart, node,
                                     &CMTCurlDownloader::Progress, this, m_StallSeconds);
    result |= curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CMTCurlDownloader::HeaderLine);
    result |= curl_easy_setopt(h, CURLOPT_HEADERDATA, node);
    result |= curl_easy_setopt(h, CURLOPT_RANGE, range.c_str());
    if (result != 0) {
        node->status = result;
        return result;
    }

    node->askedFirst = node->next;
    node->checked = node->accepted = false;
    node->rangeFirst = node->rangeLast = -1;
    CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK && node->next <= node->last) {
        // The answer ended early but looked complete (a short announced length).
        code = CURLE_PARTIAL_FILE;
    }
    if (code != CURLE_OK)
        DEBUG_LOG(L"error:%d:%hs\r\n", code, curl_easy_strerror(code));
    else
        DEBUG_LOG(L"curl_easy_cleanup\r\n");
    curl_easy_reset(h);
    if (code == CURLE_OK && node->file) {
        fclose(node->file);
        node->file = nullptr;
    }
    node->status = code;
    return code;
}

void CMTCurlDownloader::downloadThreadFun(DownloadPartNode* node)
{
    int budget = 12;
    int code = downloadExe(node);
    while (code != 0) {
        if (budget <= 0 || Cancelled()) break;
        budget -= code == CURLE_PARTIAL_FILE ? 1 : 2;
        DEBUG_LOG(L"CurlDownLoader Code=%d\r\n", code);
        if (!SleepUnlessCancelled(400, [this] { return Cancelled(); })) break;
        code = downloadExe(node);
    }
    if (node->file) {
        fclose(node->file);
        node->file = nullptr;
    }
    --m_Active;
}

bool CMTCurlDownloader::JoinParts()
{
    std::wstring first = PartPath(0);
    FILE* target = _wfopen(first.c_str(), L"ab+");
    if (!target) return false;
    bool ok = true;
    std::vector<char> block(65536);
    for (size_t i = 1; i < m_Parts.size() && ok; ++i) {
        FILE* part = _wfopen(m_Parts[i]->path.c_str(), L"rb");
        if (!part) {
            ok = false;
            break;
        }
        size_t got;
        while ((got = fread(block.data(), 1, block.size(), part)) > 0)
            if (fwrite(block.data(), 1, got, target) != got) ok = false;
        if (ferror(part)) ok = false;
        fclose(part);
        DEBUG_LOG(L"partPath::%ls\r\n", m_Parts[i]->path.c_str());
    }
    if (fclose(target) != 0) ok = false;
    if (ok) {
        DeleteFileW(m_Destination.c_str());
        ok = MoveFileW(first.c_str(), m_Destination.c_str()) != 0;
    }
    DeletePartFiles();
    return ok;
}

void CMTCurlDownloader::ReleaseNodes()
{
    for (auto& node : m_Parts) {
        if (node->thread.joinable()) node->thread.join();
        if (node->handle) curl_easy_cleanup(node->handle);
        if (node->file) fclose(node->file);
    }
    m_Parts.clear();
}

void CMTCurlDownloader::waitForFinishThreadFun()
{
    for (auto& node : m_Parts)
        if (node->thread.joinable()) node->thread.join();
    if (Cancelled()) {
        ReleaseNodes();
        return;
    }

    int32_t err = 0;
    for (auto& node : m_Parts) {
        if (node->status != 0) {
            err = node->status;
            break;
        }
    }
    if (err == 0) {
        m_LastPercent = 0.0;
        if (!JoinParts()) {
            DEBUG_LOG(L"cannot join the part files\r\n");
            err = -2;
        }
    }
    if (err == 0) {
        switch (CheckPackageDigest(m_RealUrl, m_Destination)) {
        case DigestVerdict::NoDigest:
            Send(DL_CODE_MD5, err, L"mtcurl获取url-md5失败");
            break;
        case DigestVerdict::Mismatch:
            Send(DL_CODE_MD5, err, L"mtcurl文件md5校验失败");
            DeleteFileW(m_Destination.c_str());
            ReleaseNodes();
            if (m_Retried) {
                DEBUG_LOG(L"finish recv, md5 chaek failed and retry failed.\r\n");
                Send(DL_CODE_FAIL, 0.0, L"LibCurl");
            } else {
                m_Retried = true;
                DEBUG_LOG(L"finish recv, md5 chaek failed retry once.\r\n");
                Send(DL_CODE_RETRY, 0.0, L"LibCurl");
            }
            return;
        case DigestVerdict::Good:
            break;
        }
        DEBUG_LOG(L"finish recv\r\n");
        ReleaseNodes();
        Send(DL_CODE_SUCCESS, 0.0, L"LibCurl");
        return;
    }

    ReleaseNodes();
    if (m_LastPercent == 0.0) DeletePartFiles();
    if (m_Retried) {
        m_LastPercent = 0.0;
        Send(DL_CODE_FAIL, err, L"LibCurl");
    } else {
        m_Retried = true;
        Send(DL_CODE_RETRY, err, L"LibCurl");
    }
}
