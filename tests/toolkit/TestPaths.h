// Paths of test fixtures as the Windows program sees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TestFiles.h"

using TestFiles::HostPath;
// A file of the toolkit's archive fixtures.
std::wstring FixturePath(const std::string& name);
std::vector<uint8_t> ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes);
// A file of `size` bytes whose content is never written (sparse where the disk allows).
bool MakeSizedFile(const std::wstring& path, uint64_t size);
// A fresh, empty folder under the test's working folder, ending with "\".
std::wstring FreshFolder(const std::wstring& name);
