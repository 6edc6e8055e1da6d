// The skin's XML reader: a small, non-validating parser for the window description
// dialect. Elements, attributes in double quotes, character data, comments and
// processing instructions, five entities. Nesting is handled without recursion, so any
// depth parses within the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSkinXml;

// A handle to one element; copied by value, valid while its document lives and is not
// reloaded. A default handle (or one past the last sibling) is not valid.
class CSkinXmlNode {
public:
    // Attributes past this many on one element are not seen.
    static constexpr int kMaxAttributes = 64;

    CSkinXmlNode() = default;

    bool IsValid() const;
    std::wstring NodeName() const;
    // The element's character data (before its first child), entities replaced.
    std::wstring NodeValue() const;
    CSkinXmlNode FirstChild() const;
    CSkinXmlNode NextSibling() const;
    CSkinXmlNode ParentNode() const;
    bool HasChildNodes() const;
    bool HasAttributeList() const;
    int AttributeCount() const;
    // Empty text for an index out of range.
    std::wstring AttributeName(int index) const;
    std::wstring AttributeValue(int index) const;
    // Copies at most capacity - 1 characters and a terminator; false when absent.
    bool FindAttribute(const wchar_t* name, wchar_t* buffer, size_t capacity) const;
    bool FindAttribute(const wchar_t* name, std::wstring& value) const;

private:
    friend class CSkinXml;
    CSkinXmlNode(const CSkinXml* document, uint32_t element) : m_Document(document), m_Element(element) {}

    const CSkinXml* m_Document = nullptr;
    uint32_t m_Element = 0;
};

class CSkinXml {
public:
    enum Encoding { kUtf8 = 0, kUtf16 = 1, kAnsi = 2 };

    CSkinXml() = default;
    CSkinXml(const CSkinXml&) = delete;
    CSkinXml& operator=(const CSkinXml&) = delete;

    bool LoadText(const std::wstring& text);
    // UTF-8 (leading byte-order mark skipped), UTF-16 with a byte-order mark (either
    // order), or the system ANSI code page.
    bool LoadFromBytes(const void* bytes, size_t size, int encoding);
    // Reads through the skin's file source; its failure message becomes the error.
    bool LoadFromSkinFile(const std::wstring& name, int encoding = kUtf8);

    // The first top-level element; not valid when the document has none.
    CSkinXmlNode RootNode() const;
    const std::wstring& ErrorMessage() const { return m_ErrorMessage; }
    const std::wstring& ErrorLocation() const { return m_ErrorLocation; }

private:
    friend class CSkinXmlNode;

    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    struct Element {
        Span name;
        uint32_t firstChild = 0;
        uint32_t nextSibling = 0;
        uint32_t parent = 0;
        Span data;
        uint32_t firstAttribute = 0;
        uint32_t attributeCount = 0;
    };
    struct Attribute {
        Span name;
        Span value;
    };

    bool Parse();
    bool Fail(const wchar_t* message, size_t pos);
    void Release();
    // Copies text[pos, end) onto itself with the five entities replaced.
    Span Unescape(size_t pos, size_t end);
    std::wstring Text(const Span& span) const { return std::wstring(m_Text.data() + span.offset, span.length); }

    std::wstring m_Text;
    std::vector<Element> m_Elements;
    std::vector<Attribute> m_Attributes;
    std::wstring m_ErrorMessage;
    std::wstring m_ErrorLocation;
};
