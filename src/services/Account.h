// Facts about the accounts the installer runs for.
#pragma once

#include <string>

namespace Utils {

// True when this process's token is an enabled member of the local Administrators group
// (under user account control: only when elevated). Any failure gives false.
bool IsUserAdmin();

// True when the local account `userName` has administrator privilege level; a failed
// lookup gives false.
bool IsAccountAdmin(const std::wstring& userName);

// The user name of the session attached to the physical console (empty when nobody is
// logged on). False when it cannot be read; `name` is then left as it was.
bool GetConsoleUserName(std::wstring& name);

} // namespace Utils
