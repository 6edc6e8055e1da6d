#include "services/Account.h"

#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

namespace Utils {

bool IsUserAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                  0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

bool IsAccountAdmin(const std::wstring& userName)
{
    if (userName.empty()) return false;
    LPBYTE buffer = nullptr;
    if (NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success || !buffer) {
        if (buffer) NetApiBufferFree(buffer);
        return false;
    }
    bool admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
    NetApiBufferFree(buffer);
    return admin;
}

bool GetConsoleUserName(std::wstring& name)
{
    DWORD session = WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF) return false;
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &text, &bytes)) return false;
    name = text ? text : L"";
    if (text) WTSFreeMemory(text);
    return true;
}

} // namespace Utils
