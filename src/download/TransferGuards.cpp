#include "download/TransferGuards.h"

int ApplyTransferGuards(CURL* handle, long stallSeconds)
{
    int result = 0;
    result |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    result |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    result |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    return result;
}
