// Options every libcurl transfer of the installer carries: verified TLS (the package is
// run with administrator rights) and a low-speed limit, so a server that stops sending
// ends the attempt instead of freezing the install.
#pragma once

#include <curl/curl.h>

// An attempt that moves less than 1 byte per second for this long fails (and is retried).
const long kDefaultStallSeconds = 30;

// Receive buffer of libcurl and stdio buffer of the files the bytes go to: large blocks
// keep the number of system calls per megabyte low.
const long kReceiveBufferBytes = 256 * 1024;
const size_t kFileBufferBytes = 1024 * 1024;

// Peer and host verification on (Schannel with the system's certificate store), and the
// low-speed limit. Returns the bitwise OR of the option results.
int ApplyTransferGuards(CURL* handle, long stallSeconds);
