// Internet connectivity as the system's network list manager sees it.
#pragma once

#include <windows.h>

namespace Utils {

// Upper 16 bits: status; lower 16 bits: the system's connectivity flags.
enum NetworkStatus : DWORD {
    NETWORK_CONNECTED = 0,      // connected, or the network list manager is not available
    NETWORK_NO_CONNECTIVITY = 1,  // no connectivity at all (flags 0)
    NETWORK_NO_INTERNET = 2,    // some connectivity, but not to the internet
};

// The calling thread must have initialised COM.
DWORD CheckNetwork();

inline DWORD NetworkStatusOf(DWORD result) { return result >> 16; }
inline DWORD NetworkFlagsOf(DWORD result) { return result & 0xFFFF; }

} // namespace Utils
