// Byte-range arithmetic of the multi-part downloader: how a file is split, and whether
// a server's answer carries the range that was asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ByteRange {
    int64_t first;  // offset of the range's first byte
    int64_t last;   // offset of its last byte (inclusive)
};

// One range per 10 MiB of the file, at least one and at most two; the last range also
// takes the remainder. Empty for a length below 1.
std::vector<ByteRange> SplitByteRanges(int64_t length);

// Parses the value of a Content-Range header, "bytes 100-199/1000" (the total may be
// "*"). False when it is no satisfied byte range.
bool ParseContentRange(const std::string& value, int64_t* first, int64_t* last);

// The value of a header line "Name: value" (name compared ignoring case), with blanks and
// the line end trimmed; false when the line is another header.
bool HeaderValue(const std::string& line, const char* name, std::string* value);
