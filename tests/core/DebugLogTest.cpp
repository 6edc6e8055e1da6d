#include "core/DebugLog.h"
#include "core/LogCapture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

std::wstring Format(const LogStamp& stamp, const std::string& function, int line, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = FormatLogLine(stamp, function, line, format, args);
    va_end(args);
    return text;
}

const LogStamp kStamp{123, 7, 2024, 1, 2, 9, 5, 3, 42};

TEST(FormatLogLine, ReproducesTheDocumentedLine)
{
    EXPECT_EQ(Format(kStamp, "Utils::Thread::CallBack", 101, L"THREAD BEGIN\r\n"),
              L"<P00123><T00007><2024-01-02 09:05:03.042>(Utils::Thread::CallBack)<0101>: THREAD BEGIN\r\n");
}

TEST(FormatLogLine, WideNumbersArePrintedInFull)
{
    LogStamp stamp{1234567, 987654, 2024, 12, 31, 23, 59, 59, 999};
    EXPECT_EQ(Format(stamp, "f", 12345, L"x\r\n"),
              L"<P1234567><T987654><2024-12-31 23:59:59.999>(f)<12345>: x\r\n");
}

TEST(FormatLogLine, UserTextTravelsAsArgument)
{
    // Percent signs and format letters inside user text stay literal.
    std::wstring path = L"C:\\100%s\\%d%n.part";
    EXPECT_EQ(Format(kStamp, "CurlClient::Head", 7, L"partPath::%ls size=%I64d\r\n", path.c_str(), 5000000000LL),
              L"<P00123><T00007><2024-01-02 09:05:03.042>(CurlClient::Head)<0007>: "
              L"partPath::C:\\100%s\\%d%n.part size=5000000000\r\n");
    EXPECT_EQ(Format(kStamp, "f", 1, L"%hs %d%%\r\n", "narrow", 50),
              L"<P00123><T00007><2024-01-02 09:05:03.042>(f)<0001>: narrow 50%\r\n");
}

TEST(FormatLogLine, LongFunctionNamesAreKept)
{
    std::string name(600, 'n');
    std::wstring text = Format(kStamp, name, 1, L"m\r\n");
    EXPECT_NE(text.find(L"(" + std::wstring(600, L'n') + L")<0001>: m\r\n"), std::wstring::npos);
}

// Pretty function signatures as the compiler writes them, from real functions.
std::string FreeFunction(int) { return __PRETTY_FUNCTION__; }
namespace Outer { namespace Inner {
std::string NamespacedName() { return __PRETTY_FUNCTION__; }
}} // namespace Outer::Inner
struct CSample {
    static std::string StaticName() { return __PRETTY_FUNCTION__; }
    const char* Member(int, int) const { return __PRETTY_FUNCTION__; }
    std::string TemplatedName() { return TemplatedInner<int>(); }
    template <typename T> std::string TemplatedInner() { return __PRETTY_FUNCTION__; }
    bool operator<(const CSample&) const
    {
        s_Pretty = __PRETTY_FUNCTION__;
        return false;
    }
    static std::string s_Pretty;
    // Worker bodies are lambdas; they log under the function that holds them.
    std::string FromLambda()
    {
        auto work = [](void*) { return [] { return std::string(__PRETTY_FUNCTION__); }(); };
        return work(nullptr);
    }
};

std::string CSample::s_Pretty;

std::string LessThanOperator()
{
    (void)(CSample() < CSample());
    return CSample::s_Pretty;
}

TEST(QualifiedFunctionName, StripsReturnTypeQualifiersAndParameters)
{
    struct Case {
        std::string pretty;
        const char* expected;
    } cases[] = {
        {FreeFunction(0), "FreeFunction"},
        {Outer::Inner::NamespacedName(), "Outer::Inner::NamespacedName"},
        {CSample::StaticName(), "CSample::StaticName"},
        {CSample().Member(1, 2), "CSample::Member"},
        {CSample().TemplatedName(), "CSample::TemplatedInner"},
        {CSample().FromLambda(), "CSample::FromLambda"},
        // Operator symbols are part of the name, not brackets or parameters.
        {LessThanOperator(), "CSample::operator<"},
        {"void CFunctor::operator()(int)", "CFunctor::operator()"},
        {"CFunctor::operator()(int)::<lambda()>", "CFunctor::operator()"},
        {"CSample::operator int() const", "CSample::operator int"},
        {"bool Outer::operator>=(const Outer&, int)", "Outer::operator>="},
        {"void COperatorPanel::operatorMode(int)", "COperatorPanel::operatorMode"},
        // Shapes of other compilers' output and of return types with blanks inside templates.
        {"static unsigned int Utils::Thread::CallBack(void*)", "Utils::Thread::CallBack"},
        {"std::map<int, std::basic_string<wchar_t> > CDownloadInstaller::Start(int)", "CDownloadInstaller::Start"},
        {"const char* CSample::Member(int, int) const", "CSample::Member"},
        {"Start", "Start"},
        {"void {anonymous}::Helper::Run()", "Helper::Run"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pretty);
        EXPECT_EQ(QualifiedFunctionName(c.pretty.c_str()), c.expected);
    }
    EXPECT_EQ(QualifiedFunctionName(nullptr), "");
}

} // namespace

TEST(DebugLog, CallSiteGivesFunctionAndLine)
{
    std::vector<std::wstring> captured;
    const int line = __LINE__ + 3;
    {
        LogCapture capture;
        DEBUG_LOG(L"value=%d text=%ls\r\n", 42, L"50%");
        captured = capture.Lines();
    }
    if (captured.empty()) GTEST_SKIP() << "this system does not raise debug-print exceptions";
    ASSERT_EQ(captured.size(), 1u);
    const std::wstring& text = captured[0];
    wchar_t expectedTail[200];
    swprintf(expectedTail, 200, L"(DebugLog_CallSiteGivesFunctionAndLine_Test::TestBody)<%04d>: value=42 text=50%%\r\n", line);
    ASSERT_GE(text.size(), wcslen(expectedTail));
    EXPECT_EQ(text.substr(text.size() - wcslen(expectedTail)), expectedTail);
    wchar_t ids[40];
    swprintf(ids, 40, L"<P%05lu><T%05lu>", GetCurrentProcessId(), GetCurrentThreadId());
    EXPECT_EQ(text.substr(0, wcslen(ids)), ids);
}
