#include "download/PackageDigest.h"

#include "download/Md5.h"

#include <cstdio>

std::string GetUrlMd5(const std::string& url)
{
    if (url.empty()) return "";
    size_t last = url.rfind('/');
    if (last == std::string::npos || last == 0) return "";
    size_t before = url.rfind('/', last - 1);
    if (before == std::string::npos) return "";
    return url.substr(before + 1, last - before - 1);
}

namespace {

// Digests and closes `file`; "" when there is none or it cannot be read.
std::string DigestOfFile(FILE* file)
{
    if (!file) return "";
    Md5 md5;
    unsigned char block[1024];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file)) > 0) md5.Update(block, got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) return "";
    return md5.HexFinal();
}

} // namespace

std::string GetFileMd5(const std::string& path)
{
    if (path.empty()) return "";
    return DigestOfFile(fopen(path.c_str(), "rb"));
}

std::string GetFileMd5(const std::wstring& path)
{
    if (path.empty()) return "";
    return DigestOfFile(_wfopen(path.c_str(), L"rb"));
}

DigestVerdict JudgeDigest(const std::string& expected, const std::string& actual)
{
    if (expected.size() != 32) return DigestVerdict::NoDigest;
    // A file that cannot be read is no proof of a good package: it is about to be run
    // with administrator rights.
    if (actual.size() != 32) return DigestVerdict::Mismatch;
    return actual == expected ? DigestVerdict::Good : DigestVerdict::Mismatch;
}

DigestVerdict CheckPackageDigest(const std::string& finalUrl, const std::wstring& path)
{
    std::string expected = GetUrlMd5(finalUrl);
    if (expected.size() != 32) return DigestVerdict::NoDigest;
    return JudgeDigest(expected, GetFileMd5(path));
}
