#include "install/OutputProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using OutputProtocol::LineAssembler;

TEST(SplitLines, SplitsAtLineFeedsOnly)
{
    using Lines = std::vector<std::wstring>;
    EXPECT_EQ(OutputProtocol::SplitLines(L"a\nb\r\nc"), (Lines{L"a", L"b\r", L"c"}));
    EXPECT_EQ(OutputProtocol::SplitLines(L"a\n\nb\n"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(OutputProtocol::SplitLines(L""), Lines{});
}

// Every way of cutting a valid output into two reads gives the same whole lines.
TEST(LineAssembler, EveryCutGivesTheSameLines)
{
    const std::string output = "Progress=0.5\r\nInstPath=\xE4\xB8\xAD\nState=Success\n";
    for (size_t cut = 0; cut <= output.size(); ++cut) {
        LineAssembler lines;
        std::string seen = lines.Add(output.data(), cut);
        EXPECT_EQ(seen.find_last_of('\n'), seen.empty() ? std::string::npos : seen.size() - 1) << cut;
        seen += lines.Add(output.data() + cut, output.size() - cut);
        seen += lines.Flush();
        EXPECT_EQ(seen, output) << cut;
    }
}

TEST(LineAssembler, HandsOnAnUnendedTailOnlyAtTheEndOrWhenTooLong)
{
    LineAssembler lines;
    EXPECT_EQ(lines.Add("State=Succ", 10), "");
    EXPECT_EQ(lines.Flush(), "State=Succ");
    EXPECT_EQ(lines.Flush(), "");

    std::string endless(LineAssembler::kMaxPending + 1, 'x');
    EXPECT_EQ(lines.Add(endless.data(), endless.size()), endless);
}

} // namespace
