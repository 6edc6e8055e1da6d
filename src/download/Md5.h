// MD5 message digest (RFC 1321), used to check a downloaded package against the digest
// published in its URL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Md5 {
public:
    Md5();
    void Update(const void* data, size_t size);
    // Ends the message; the object must not be updated afterwards.
    void Final(uint8_t digest[16]);
    // The digest as 32 lower-case hexadecimal characters.
    std::string HexFinal();

private:
    void Transform(const uint8_t block[64]);

    uint32_t m_State[4];
    uint64_t m_Bits = 0;
    uint8_t m_Buffer[64];
    size_t m_Used = 0;
};

// Convenience for short texts: the lower-case hex MD5 of `text`.
std::string Md5Hex(const std::string& text);
