// What every libcurl transfer of the installer shares: verified TLS (the package is run
// with administrator rights), a low-speed limit (a server that stops sending ends the
// attempt instead of freezing the install), cancellation and the body-transfer options
// of the two HTTP-library downloaders.
#pragma once

#include <winsock2.h>

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>

static_assert(std::is_same<curl_off_t, int64_t>::value, "curl_off_t is a 64-bit integer");

// An attempt that moves less than 1 byte per second for this long fails (and is retried).
const long kDefaultStallSeconds = 30;

// Receive buffer of libcurl and stdio buffer of the files the bytes go to: large blocks
// keep the number of system calls per megabyte low.
const long kReceiveBufferBytes = 256 * 1024;
const size_t kFileBufferBytes = 1024 * 1024;

// Peer and host verification on (Schannel with the system's certificate store), and the
// low-speed limit. Returns the bitwise OR of the option results.
int ApplyTransferGuards(CURL* handle, long stallSeconds);

// A header-only request for `url` that discards any body and aborts once `cancel` holds.
// Returns the bitwise OR of the option results.
int PrepareHeaderRequest(CURL* handle, const std::string& url, const std::atomic<bool>* cancel,
                         long stallSeconds);

// The options of a body transfer: redirects followed, the body to `write` (with `writeData`),
// progress to `progress` (with `progressData`), HTTP errors as failures, a 60 s connect
// time-out, the guards and a large receive buffer. Returns the bitwise OR of the results.
int SetBodyTransferOptions(CURL* handle, curl_write_callback write, void* writeData,
                           curl_xferinfo_callback progress, void* progressData,
                           long stallSeconds);

// Size of a file, -1 when its status cannot be read.
int64_t FileSize(const std::wstring& path);
