#include "download/PackageDigest.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

TEST(PackageDigest, UrlMd5IsTheSecondToLastSegment)
{
    struct Case {
        const char* url;
        const char* digest;
    } cases[] = {
        {"http://h/software/0123456789abcdef0123456789abcdef/pkg.exe", "0123456789abcdef0123456789abcdef"},
        {"http://h/software/ab/pkg.exe", "ab"},
        {"http://h/x//pkg.exe", ""},
        {"http://h/dir/", "dir"},
        {"", ""},
        {"no-slash-at-all", ""},
        {"one/slash", ""},
        {"/leading", ""},
        {"a/b/c", "b"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetUrlMd5(c.url), c.digest) << c.url;
}

TEST(PackageDigest, JudgeDigest)
{
    const std::string digest = "900150983cd24fb0d6963f7d28e17f72";
    struct Case {
        std::string expected;
        std::string actual;
        DigestVerdict verdict;
    } cases[] = {
        {digest, digest, DigestVerdict::Good},
        {digest, "0cc175b9c0f1b6a831c399e269772661", DigestVerdict::Mismatch},
        // The file digest is lower case, so an upper-case published digest never matches.
        {"900150983CD24FB0D6963F7D28E17F72", digest, DigestVerdict::Mismatch},
        // An unreadable file is not taken as good.
        {digest, "", DigestVerdict::Mismatch},
        {"ab", digest, DigestVerdict::NoDigest},
        {"", "", DigestVerdict::NoDigest},
        {digest + "0", digest, DigestVerdict::NoDigest},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeDigest(c.expected, c.actual), c.verdict) << c.expected << " / " << c.actual;
}

TEST(PackageDigest, FileMd5)
{
    const char* path = "digest_fixture.bin";
    std::string content;
    for (int i = 0; i < 3000; ++i) content += char(i * 7);  // crosses the 1024-byte blocks
    FILE* f = fopen(path, "wb");
    ASSERT_TRUE(f);
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);

    struct Case {
        std::string path;
        std::string digest;
    } cases[] = {
        {path, "957a5bf1626328596e72a93e8ca010ad"},
        {"", ""},
        {"no_such_file.bin", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(GetFileMd5(c.path), c.digest) << c.path;
    DeleteFileA(path);
}

// The finished package judged by its wide path: a folder name the ANSI code page cannot
// spell must not turn a good package into an unreadable one.
TEST(PackageDigest, CheckPackageDigest)
{
    const std::wstring folder = L"digest_\u03a9\u5b89\u88c5";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\__Package_Lumeno.exe";
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_TRUE(f);
    fwrite("abc", 1, 3, f);
    fclose(f);

    const std::string good = "http://h/software/900150983cd24fb0d6963f7d28e17f72/pkg.exe";
    struct Case {
        std::string url;
        std::wstring path;
        DigestVerdict verdict;
    } cases[] = {
        {good, path, DigestVerdict::Good},
        {"http://h/software/0cc175b9c0f1b6a831c399e269772661/pkg.exe", path, DigestVerdict::Mismatch},
        {"http://h/software/ab/pkg.exe", path, DigestVerdict::NoDigest},
        {good, folder + L"\\missing.exe", DigestVerdict::Mismatch},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckPackageDigest(c.url, c.path), c.verdict) << c.url;
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}
