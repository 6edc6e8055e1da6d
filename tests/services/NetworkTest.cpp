#include "services/Network.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

namespace {

TEST(CheckNetwork, ResultIsAConsistentStatusAndFlags)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    DWORD result = Utils::CheckNetwork();
    CoUninitialize();
    DWORD status = Utils::NetworkStatusOf(result);
    DWORD flags = Utils::NetworkFlagsOf(result);
    EXPECT_LE(status, 2u) << result;
    if (status == Utils::NETWORK_NO_CONNECTIVITY) {
        EXPECT_EQ(flags, 0u);
    }
    if (status == Utils::NETWORK_NO_INTERNET) {
        EXPECT_NE(flags, 0u);
    }
}

TEST(CheckNetwork, WithoutTheNetworkListManagerCountsAsConnected)
{
    // A thread without COM cannot create the manager: the neutral answer is 0.
    DWORD result = 0xFFFFFFFF;
    std::thread([&] { result = Utils::CheckNetwork(); }).join();
    EXPECT_EQ(result, 0u);
}

} // namespace
