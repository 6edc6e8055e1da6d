// The installer's own exception type. Thrown and caught only inside the process launcher;
// it never crosses a module border.
#pragma once

#include <exception>
#include <string>

namespace Utils {

class Exception : public std::exception {
public:
    // `message` is kept in the system ANSI code page.
    explicit Exception(const std::wstring& message = std::wstring());
    const char* what() const noexcept override;

private:
    std::string m_Message;
};

} // namespace Utils
