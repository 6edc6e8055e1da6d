// libcurl's easy handle type, declared exactly as libcurl declares it, so that the
// downloader headers need not pull in curl.h and with it winsock2.h: an includer that
// has already included windows.h would otherwise get winsock2.h after it.
#pragma once

#include <cstdint>

typedef void CURL;

// libcurl's curl_off_t on this target; CurlClient.cpp checks that they agree.
using CurlOffset = int64_t;
