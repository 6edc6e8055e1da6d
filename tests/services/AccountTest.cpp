#include "services/Account.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

namespace {

TEST(Account, ConsoleUserIsTheLoggedOnUser)
{
    std::wstring name = L"unchanged";
    ASSERT_TRUE(Utils::GetConsoleUserName(name));
    wchar_t self[256];
    DWORD length = 256;
    ASSERT_TRUE(GetUserNameW(self, &length));
    EXPECT_EQ(name, self);
}

TEST(Account, UnknownAccountsAreNotAdministrators)
{
    EXPECT_FALSE(Utils::IsAccountAdmin(L"lumeno-no-such-user-4711"));
    EXPECT_FALSE(Utils::IsAccountAdmin(L""));
}

TEST(Account, ProcessRightsAgreeWithTheShell)
{
    // The shell answers the same question through its own route.
    EXPECT_EQ(Utils::IsUserAdmin(), IsUserAnAdmin() != FALSE);
}

} // namespace
