// The test program initialises libcurl once, as the installer's entry point does.
#include <curl/curl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    curl_global_init(CURL_GLOBAL_ALL);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
