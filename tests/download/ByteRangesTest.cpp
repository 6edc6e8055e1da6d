#include "download/ByteRanges.h"

#include <gtest/gtest.h>

TEST(ByteRanges, Split)
{
    struct Case {
        int64_t length;
        std::vector<ByteRange> ranges;
    } cases[] = {
        {0, {}},
        {1, {{0, 0}}},
        {15728640, {{0, 15728639}}},
        {20971519, {{0, 20971518}}},
        {20971520, {{0, 10485759}, {10485760, 20971519}}},
        {20971521, {{0, 10485759}, {10485760, 20971520}}},
        {26214400, {{0, 13107199}, {13107200, 26214399}}},
        // Beyond 2 GiB the offsets stay exact.
        {5000000001LL, {{0, 2500000000LL - 1}, {2500000000LL, 5000000000LL}}},
    };
    for (const Case& c : cases) {
        std::vector<ByteRange> got = SplitByteRanges(c.length);
        ASSERT_EQ(got.size(), c.ranges.size()) << c.length;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].first, c.ranges[i].first) << c.length << " range " << i;
            EXPECT_EQ(got[i].last, c.ranges[i].last) << c.length << " range " << i;
        }
    }
}

TEST(ByteRanges, ParseContentRange)
{
    struct Case {
        const char* value;
        bool ok;
        int64_t first, last;
    } cases[] = {
        {"bytes 0-99/1000", true, 0, 99},
        {"bytes 13107200-26214399/26214400", true, 13107200, 26214399},
        {"bytes 5-9/*", true, 5, 9},
        {"bytes 4294967296-4294967300/5000000000", true, 4294967296LL, 4294967300LL},
        {"bytes */1000", false, 0, 0},
        {"bytes 10-5/1000", false, 0, 0},
        {"bytes 0-1000/1000", false, 0, 0},
        {"items 0-9/10", false, 0, 0},
        {"bytes 0-9", false, 0, 0},
        {"bytes 0-9/10 junk", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        int64_t first = -1, last = -1;
        EXPECT_EQ(ParseContentRange(c.value, &first, &last), c.ok) << c.value;
        if (c.ok) {
            EXPECT_EQ(first, c.first) << c.value;
            EXPECT_EQ(last, c.last) << c.value;
        }
    }
}

TEST(ByteRanges, HeaderValue)
{
    std::string value;
    EXPECT_TRUE(HeaderValue("content-range: bytes 0-1/2\r\n", "Content-Range", &value));
    EXPECT_EQ(value, "bytes 0-1/2");
    EXPECT_FALSE(HeaderValue("Content-Length: 5\r\n", "Content-Range", &value));
    EXPECT_FALSE(HeaderValue("HTTP/1.1 206 Partial Content\r\n", "Content-Range", &value));
}
