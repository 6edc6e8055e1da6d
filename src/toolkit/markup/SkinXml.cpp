#include "toolkit/markup/SkinXml.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "toolkit/archive/SkinFile.h"

namespace {

inline bool IsSpace(wchar_t c)
{
    return c <= 32;
}

inline bool IsNameChar(wchar_t c)
{
    return c == L'_' || c == L':' || std::iswalnum(c);
}

inline bool EndsAttributeName(wchar_t c)
{
    return IsSpace(c) || c == L'=' || c == L'>' || c == L'/' || c == L'"';
}

struct EntityName {
    const wchar_t* name;
    size_t length;
    wchar_t value;
};

const EntityName kEntities[] = {
    {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'}, {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

} // namespace

// ---------------------------------------------------------------------------------------
// CSkinXml

bool CSkinXml::LoadText(const std::wstring& text)
{
    Release();
    size_t nul = text.find(L'\0');
    m_Text = nul == std::wstring::npos ? text : text.substr(0, nul);
    if (m_Text.size() >= 0xFFFFFFFFu) {
        Release();
        m_ErrorMessage = L"File too large";
        return false;
    }
    if (!Parse()) {
        m_Text.clear();
        m_Elements.clear();
        m_Attributes.clear();
        return false;
    }
    return true;
}

bool CSkinXml::LoadFromBytes(const void* bytes, size_t size, int encoding)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    if (p == nullptr) {
        size = 0;
    }
    std::wstring text;
    if (encoding == kUtf8 || encoding == kAnsi) {
        UINT codePage = encoding == kUtf8 ? CP_UTF8 : CP_ACP;
        if (encoding == kUtf8 && size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
            p += 3;
            size -= 3;
        }
        if (size > 0x7FFFFFFF) {
            Release();
            m_ErrorMessage = L"File too large";
            return false;
        }
        if (size > 0) {
            int n = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(size),
                                        nullptr, 0);
            if (n > 0) {
                text.resize(static_cast<size_t>(n));
                MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(size),
                                    &text[0], n);
            }
        }
    } else if (encoding == kUtf16) {
        bool little = size >= 2 && p[0] == 0xFF && p[1] == 0xFE;
        bool big = size >= 2 && p[0] == 0xFE && p[1] == 0xFF;
        if (!little && !big) {
            Release();
            m_ErrorMessage = L"Unsupported text encoding";
            return false;
        }
        size_t units = (size - 2) / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) {
            uint8_t a = p[2 + i * 2], b = p[3 + i * 2];
            text[i] = little ? wchar_t(a | (b << 8)) : wchar_t(b | (a << 8));
        }
    } else {
        Release();
        m_ErrorMessage = L"Unsupported text encoding";
        return false;
    }
    return LoadText(text);
}

bool CSkinXml::LoadFromSkinFile(const std::wstring& name, int encoding)
{
    std::vector<uint8_t> bytes;
    std::wstring error;
    if (!ReadSkinFile(name, bytes, error)) {
        Release();
        m_ErrorMessage = error;
        return false;
    }
    return LoadFromBytes(bytes.data(), bytes.size(), encoding);
}

CSkinXmlNode CSkinXml::RootNode() const
{
    if (m_Elements.empty()) {
        return CSkinXmlNode();
    }
    return CSkinXmlNode(this, m_Elements[0].firstChild);
}

void CSkinXml::Release()
{
    m_Text.clear();
    m_Elements.clear();
    m_Attributes.clear();
    m_ErrorMessage.clear();
    m_ErrorLocation.clear();
}

bool CSkinXml::Fail(const wchar_t* message, size_t pos)
{
    m_ErrorMessage = message;
    if (m_ErrorMessage.size() > 99) {
        m_ErrorMessage.resize(99);
    }
    m_ErrorLocation = pos < m_Text.size() ? m_Text.substr(pos, 49) : std::wstring();
    return false;
}

CSkinXml::Span CSkinXml::Unescape(size_t pos, size_t end)
{
    wchar_t* t = &m_Text[0];
    const size_t begin = pos;
    size_t out = pos;
    while (pos < end) {
        wchar_t c = t[pos];
        if (c == L'&') {
            bool replaced = false;
            for (const EntityName& e : kEntities) {
                if (end - pos - 1 >= e.length && wmemcmp(t + pos + 1, e.name, e.length) == 0) {
                    t[out++] = e.value;
                    pos += 1 + e.length;
                    replaced = true;
                    break;
                }
            }
            if (replaced) {
                continue;
            }
        }
        t[out++] = c;
        ++pos;
    }
    Span span;
    span.offset = static_cast<uint32_t>(begin);
    span.length = static_cast<uint32_t>(out - begin);
    return span;
}

bool CSkinXml::Parse()
{
    m_Elements.assign(1, Element());
    m_Attributes.clear();
    m_ErrorMessage.clear();
    m_ErrorLocation.clear();

    const size_t n = m_Text.size();
    const wchar_t* t = m_Text.c_str();
    // Open elements from the outermost; the last element added at each open level.
    std::vector<uint32_t> open;
    std::vector<uint32_t> lastAtLevel(1, 0);
    size_t pos = 0;

    for (;;) {
        const uint32_t parent = open.empty() ? 0 : open.back();
        while (pos < n && IsSpace(t[pos])) {
            ++pos;
        }
        if (pos == n) {
            if (parent <= 1) {
                return true;
            }
            return Fail(L"Expected start tag", pos);
        }
        if (t[pos] != L'<') {
            return Fail(L"Expected start tag", pos);
        }
        wchar_t next = pos + 1 < n ? t[pos + 1] : L'\0';
        if (next == L'/') {
            if (parent == 0) {
                return Fail(L"Unmatched closing tag", pos);
            }
            const Span& name = m_Elements[parent].name;
            pos += 2;
            if (n - pos < name.length || wmemcmp(t + pos, t + name.offset, name.length) != 0) {
                return Fail(L"Unmatched closing tag", pos);
            }
            pos += name.length;
            while (pos < n && IsSpace(t[pos])) {
                ++pos;
            }
            if (pos == n || t[pos] != L'>') {
                return Fail(L"Unmatched closing tag", pos);
            }
            ++pos;
            open.pop_back();
            lastAtLevel.pop_back();
            continue;
        }
        if (next == L'!' || next == L'?') {
            const wchar_t* closing = next == L'!' ? L"->" : L"?>";
            size_t found = m_Text.find(closing, pos + 2);
            pos = found == std::wstring::npos ? n : found + 2;
            continue;
        }

        // A new element.
        if (m_Elements.size() >= 0xFFFFFFFFu) {
            return Fail(L"Too many elements", pos);
        }
        const uint32_t index = static_cast<uint32_t>(m_Elements.size());
        m_Elements.emplace_back();
        m_Elements[index].parent = parent;
        if (lastAtLevel.back() == 0) {
            m_Elements[parent].firstChild = index;
        } else {
            m_Elements[lastAtLevel.back()].nextSibling = index;
        }
        lastAtLevel.back() = index;

        ++pos;
        size_t nameStart = pos;
        while (pos < n && IsNameChar(t[pos])) {
            ++pos;
        }
        if (pos == n) {
            return Fail(L"Error parsing element name", nameStart);
        }
        m_Elements[index].name.offset = static_cast<uint32_t>(nameStart);
        m_Elements[index].name.length = static_cast<uint32_t>(pos - nameStart);
        m_Elements[index].firstAttribute = static_cast<uint32_t>(m_Attributes.size());

        for (;;) {
            while (pos < n && IsSpace(t[pos])) {
                ++pos;
            }
            if (pos == n || t[pos] == L'/' || t[pos] == L'>') {
                break;
            }
            Attribute attribute;
            size_t attrStart = pos;
            while (pos < n && !EndsAttributeName(t[pos])) {
                ++pos;
            }
            attribute.name.offset = static_cast<uint32_t>(attrStart);
            attribute.name.length = static_cast<uint32_t>(pos - attrStart);
            while (pos < n && IsSpace(t[pos])) {
                ++pos;
            }
            if (attribute.name.length == 0 || pos == n || t[pos] != L'=') {
                return Fail(L"Error while parsing attributes", pos);
            }
            ++pos;
            while (pos < n && IsSpace(t[pos])) {
                ++pos;
            }
            if (pos == n || t[pos] != L'"') {
                return Fail(L"Expected attribute value", pos);
            }
            ++pos;
            size_t quote = m_Text.find(L'"', pos);
            if (quote == std::wstring::npos) {
                return Fail(L"Error while parsing attribute string", pos);
            }
            attribute.value = Unescape(pos, quote);
            pos = quote + 1;
            m_Attributes.push_back(attribute);
            ++m_Elements[index].attributeCount;
        }

        if (pos + 1 < n && t[pos] == L'/' && t[pos + 1] == L'>') {
            pos += 2;
            continue;
        }
        if (pos == n || t[pos] != L'>') {
            return Fail(L"Expected start-tag closing", pos);
        }
        ++pos;
        size_t dataEnd = m_Text.find(L'<', pos);
        if (dataEnd == std::wstring::npos) {
            dataEnd = n;
        }
        m_Elements[index].data = Unescape(pos, dataEnd);
        pos = dataEnd;
        if (pos == n) {
            if (parent <= 1) {
                return true;
            }
            return Fail(L"Expected end-tag start", pos);
        }
        open.push_back(index);
        lastAtLevel.push_back(0);
    }
}

// ---------------------------------------------------------------------------------------
// CSkinXmlNode

bool CSkinXmlNode::IsValid() const
{
    return m_Document != nullptr && m_Element > 0 && m_Element < m_Document->m_Elements.size();
}

std::wstring CSkinXmlNode::NodeName() const
{
    return IsValid() ? m_Document->Text(m_Document->m_Elements[m_Element].name) : std::wstring();
}

std::wstring CSkinXmlNode::NodeValue() const
{
    return IsValid() ? m_Document->Text(m_Document->m_Elements[m_Element].data) : std::wstring();
}

CSkinXmlNode CSkinXmlNode::FirstChild() const
{
    return IsValid() ? CSkinXmlNode(m_Document, m_Document->m_Elements[m_Element].firstChild) : CSkinXmlNode();
}

CSkinXmlNode CSkinXmlNode::NextSibling() const
{
    return IsValid() ? CSkinXmlNode(m_Document, m_Document->m_Elements[m_Element].nextSibling) : CSkinXmlNode();
}

CSkinXmlNode CSkinXmlNode::ParentNode() const
{
    return IsValid() ? CSkinXmlNode(m_Document, m_Document->m_Elements[m_Element].parent) : CSkinXmlNode();
}

bool CSkinXmlNode::HasChildNodes() const
{
    return IsValid() && m_Document->m_Elements[m_Element].firstChild != 0;
}

bool CSkinXmlNode::HasAttributeList() const
{
    return AttributeCount() > 0;
}

int CSkinXmlNode::AttributeCount() const
{
    if (!IsValid()) {
        return 0;
    }
    uint32_t count = m_Document->m_Elements[m_Element].attributeCount;
    return count > uint32_t(kMaxAttributes) ? kMaxAttributes : static_cast<int>(count);
}

std::wstring CSkinXmlNode::AttributeName(int index) const
{
    if (index < 0 || index >= AttributeCount()) {
        return std::wstring();
    }
    const auto& e = m_Document->m_Elements[m_Element];
    return m_Document->Text(m_Document->m_Attributes[e.firstAttribute + index].name);
}

std::wstring CSkinXmlNode::AttributeValue(int index) const
{
    if (index < 0 || index >= AttributeCount()) {
        return std::wstring();
    }
    const auto& e = m_Document->m_Elements[m_Element];
    return m_Document->Text(m_Document->m_Attributes[e.firstAttribute + index].value);
}

bool CSkinXmlNode::FindAttribute(const wchar_t* name, std::wstring& value) const
{
    if (name == nullptr) {
        return false;
    }
    const size_t length = wcslen(name);
    const int count = AttributeCount();
    for (int i = 0; i < count; ++i) {
        const auto& a = m_Document->m_Attributes[m_Document->m_Elements[m_Element].firstAttribute + i];
        if (a.name.length == length && wmemcmp(m_Document->m_Text.data() + a.name.offset, name, length) == 0) {
            value = m_Document->Text(a.value);
            return true;
        }
    }
    return false;
}

bool CSkinXmlNode::FindAttribute(const wchar_t* name, wchar_t* buffer, size_t capacity) const
{
    std::wstring value;
    if (!FindAttribute(name, value)) {
        return false;
    }
    if (buffer != nullptr && capacity > 0) {
        size_t n = std::min(value.size(), capacity - 1);
        wmemcpy(buffer, value.data(), n);
        buffer[n] = L'\0';
    }
    return true;
}
