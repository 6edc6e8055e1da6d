// A stand-in package or uninstaller for runner tests. It follows the script in the
// environment variable LUMENO_CHILD_SCRIPT, steps separated by "|":
//   out:TEXT    write TEXT to standard output ("\n", "\r", "\\" and "\xHH" are decoded)
//   sleep:MS    pause
//   flood:N     write N bytes of chatter lines
//   wait        wait (up to 60 s) until the test signals the event named by
//               LUMENO_CHILD_GO, which it does once it has seen an event with the text
//               "sync": everything written before has then been read and parsed
//   exit:CODE   end at once with that exit code (unsigned decimal)
// Without "exit:" it ends with 0. When LUMENO_CHILD_ARGS names a file, the command line
// it was given is written there first (UTF-16).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name)
{
    char buffer[8192];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

void Write(const std::string& bytes)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string Decode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'n') out += '\n';
        else if (c == 'r') out += '\r';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += c;
    }
    return out;
}

} // namespace

int main()
{
    std::string argsFile = Env("LUMENO_CHILD_ARGS");
    if (!argsFile.empty()) {
        HANDLE file = CreateFileA(argsFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const wchar_t* line = GetCommandLineW();
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
            CloseHandle(file);
        }
    }
    std::string script = Env("LUMENO_CHILD_SCRIPT");
    size_t start = 0;
    while (start <= script.size()) {
        size_t end = script.find('|', start);
        if (end == std::string::npos) end = script.size();
        std::string step = script.substr(start, end - start);
        start = end + 1;
        if (step.rfind("out:", 0) == 0) {
            Write(Decode(step.substr(4)));
        } else if (step.rfind("sleep:", 0) == 0) {
            Sleep(static_cast<DWORD>(std::atoi(step.c_str() + 6)));
        } else if (step == "wait") {
            HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, Env("LUMENO_CHILD_GO").c_str());
            if (go) {
                WaitForSingleObject(go, 60000);
                CloseHandle(go);
            }
        } else if (step.rfind("flood:", 0) == 0) {
            long total = std::atol(step.c_str() + 6);
            std::string line(99, 'z');
            line += '\n';
            for (long sent = 0; sent < total; sent += static_cast<long>(line.size())) Write(line);
        } else if (step.rfind("exit:", 0) == 0) {
            ExitProcess(static_cast<UINT>(std::strtoul(step.c_str() + 5, nullptr, 10)));
        }
    }
    return 0;
}
