#include "download/TransferGuards.h"

#include <windows.h>

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Header requests carry no progress of their own, but must still stop with their owner.
int AbortWhenCancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

} // namespace

int ApplyTransferGuards(CURL* handle, long stallSeconds)
{
    int result = 0;
    result |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    result |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    return result;
}

int PrepareHeaderRequest(CURL* handle, const std::string& url, const std::atomic<bool>* cancel,
                         long stallSeconds)
{
    int result = 0;
    result |= curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    result |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, DiscardBody);
    result |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    result |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, AbortWhenCancelled);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, cancel);
    result |= ApplyTransferGuards(handle, stallSeconds);
    return result;
}

int SetBodyTransferOptions(CURL* handle, curl_write_callback write, void* writeData,
                           curl_xferinfo_callback progress, void* progressData,
                           long stallSeconds)
{
    int result = 0;
    result |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, write);
    result |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, writeData);
    result |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, progress);
    result |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, progressData);
    result |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    result |= ApplyTransferGuards(handle, stallSeconds);
    result |= curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    return result;
}

int64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
