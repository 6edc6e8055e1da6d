#include "services/Exception.h"

#include "services/TextConversion.h"

namespace Utils {

Exception::Exception(const std::wstring& message) : m_Message(ToNarrow(message, CP_ACP)) {}

const char* Exception::what() const noexcept
{
    return m_Message.c_str();
}

} // namespace Utils
