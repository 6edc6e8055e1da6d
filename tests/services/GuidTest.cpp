#include "services/Guid.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Guid, TextFormKeepsTheLowerCaseThirdGroup)
{
    GUID guid{0x0A1B2C3D, 0x00EF, 0xABCD, {0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}};
    EXPECT_EQ(Utils::GuidToString(guid), L"0A1B2C3D00EFabcdEF0123456789ABCD");
}

TEST(Guid, NewIdentifiersHaveTheShapeAndDiffer)
{
    std::set<std::wstring> seen;
    for (int i = 0; i < 200; ++i) {
        std::wstring id = Utils::CreateGuidString();
        ASSERT_EQ(id.size(), 32u) << testing::PrintToString(id);
        for (size_t k = 0; k < id.size(); ++k) {
            wchar_t c = id[k];
            bool digit = c >= L'0' && c <= L'9';
            bool upper = c >= L'A' && c <= L'F';
            bool lower = c >= L'a' && c <= L'f';
            bool thirdGroup = k >= 12 && k < 16;
            EXPECT_TRUE(digit || (thirdGroup ? lower : upper)) << testing::PrintToString(id) << " at " << k;
        }
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

} // namespace
