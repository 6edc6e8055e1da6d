#include "services/Network.h"

#include "core/DebugLog.h"

#include <netlistmgr.h>
#include <objbase.h>

namespace Utils {

DWORD CheckNetwork()
{
    INetworkListManager* manager = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                                  reinterpret_cast<void**>(&manager));
    if (FAILED(hr) || !manager) return 0;

    DWORD status = NETWORK_CONNECTED;
    NLM_CONNECTIVITY flags = NLM_CONNECTIVITY_DISCONNECTED;
    // A failed query leaves the flags at 0, which reads as no connectivity.
    if (FAILED(manager->GetConnectivity(&flags))) flags = NLM_CONNECTIVITY_DISCONNECTED;
    if (flags == 0) {
        DEBUG_LOG(L"GetConnectivity %d\r\n", static_cast<int>(flags));
        status = NETWORK_NO_CONNECTIVITY;
    } else {
        // The property getter get_IsConnectedToInternet; the headers here drop the prefix.
        VARIANT_BOOL connected = VARIANT_FALSE;
        if (FAILED(manager->IsConnectedToInternet(&connected))) connected = VARIANT_FALSE;
        if (connected == VARIANT_FALSE) {
            DEBUG_LOG(L"get_IsConnectedToInternet:%d\r\n", static_cast<int>(connected));
            status = NETWORK_NO_INTERNET;
        }
    }
    manager->Release();
    CoFreeUnusedLibraries();
    return (status << 16) | (static_cast<DWORD>(flags) & 0xFFFF);
}

} // namespace Utils
