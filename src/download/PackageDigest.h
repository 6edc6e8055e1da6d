// The package digest: the MD5 published as the second-to-last path segment of the final
// download URL, and the check of a finished file against it.
#pragma once

#include <string>

// The second-to-last "/"-separated segment of `url`; "" when `url` is empty or holds
// fewer than two "/". Whether it is a digest (32 characters) is the caller's decision.
std::string GetUrlMd5(const std::string& url);

// Lower-case hex MD5 of the file at `path` (ANSI code page); "" when the path is empty
// or the file cannot be read.
std::string GetFileMd5(const std::string& path);
// The same for a wide path, which reaches every file whatever the ANSI code page holds.
std::string GetFileMd5(const std::wstring& path);

enum class DigestVerdict {
    NoDigest,  // the URL carries no 32-character digest: accepted with a notice
    Good,      // the file matches the digest
    Mismatch,  // the file differs from the digest, or could not be read
};

// `expected` from GetUrlMd5, `actual` from GetFileMd5. The comparison is exact and
// case-sensitive, so an upper-case digest never matches.
DigestVerdict JudgeDigest(const std::string& expected, const std::string& actual);

// Judges the file at `path` against the digest in `finalUrl`; the file is only read when
// the URL carries a digest. The path stays wide: an install folder whose name the ANSI
// code page cannot spell would otherwise read as an unreadable file, a mismatch.
DigestVerdict CheckPackageDigest(const std::string& finalUrl, const std::wstring& path);
