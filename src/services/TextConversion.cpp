#include "services/TextConversion.h"

namespace Utils {

std::wstring ToWide(const std::string& text, UINT codePage)
{
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length);
    return result;
}

std::string ToNarrow(const std::wstring& text, UINT codePage)
{
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length,
                        nullptr, nullptr);
    return result;
}

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        &result[0], length);
    return result;
}

std::wstring UrlEncode(const std::wstring& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string bytes = ToNarrow(text, CP_UTF8);
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (c >= 33 && c <= 126) {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return ToWide(encoded, CP_UTF8);
}

} // namespace Utils
