// Each real component the installer stands on, exercised once from our own build under
// Wine: a painted window, the registry, a child on pipes, libcurl against a local server,
// the 7z reader, jsoncpp and stb_image.
#include <gtest/gtest.h>

// libcurl brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>
#include <json/json.h>
#include <windows.h>

extern "C" {
#include <7z.h>
#include <7zAlloc.h>
#include <7zCrc.h>
#include <7zFile.h>
}

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "support/TestFiles.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define LUMENO_WIDEN2(x) L##x
#define LUMENO_WIDEN(x) LUMENO_WIDEN2(x)
#define LUMENO_WIDE_SOURCE_DIR LUMENO_WIDEN(LUMENO_SOURCE_DIR)

namespace {


std::vector<unsigned char> ReadAll(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<unsigned char> bytes;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr), read = 0;
    bytes.resize(size);
    if (!ReadFile(file, bytes.data(), size, &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// A child process with its standard handles on pipes; the parent keeps the read ends.
struct PipedChild {
    PROCESS_INFORMATION info{};
    HANDLE out = nullptr;
    HANDLE in = nullptr;

    bool Start(std::wstring commandLine)
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE outRead, outWrite, inRead, inWrite;
        if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return false;
        if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) return false;
        SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = inRead;
        startup.hStdOutput = outWrite;
        startup.hStdError = outWrite;
        BOOL ok = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &info);
        CloseHandle(outWrite);
        CloseHandle(inRead);
        out = outRead;
        in = inWrite;
        return ok != FALSE;
    }

    std::string ReadLine()
    {
        std::string line;
        char c;
        DWORD read;
        while (ReadFile(out, &c, 1, &read, nullptr) && read == 1 && c != '\n') line += c;
        return line;
    }

    std::string ReadToEnd()
    {
        std::string text;
        char buffer[256];
        DWORD read;
        while (ReadFile(out, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
        return text;
    }

    ~PipedChild()
    {
        if (in) CloseHandle(in);
        if (info.hProcess) {
            WaitForSingleObject(info.hProcess, 10000);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
        if (out) CloseHandle(out);
    }
};

const COLORREF kPaintColour = RGB(0x16, 0x75, 0xFE);

LRESULT CALLBACK PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(kPaintColour);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

size_t AppendToString(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

} // namespace

TEST(Platform, WindowIsCreatedAndPainted)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PaintingProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LumenoPlatformSmoke";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"LumenoPlatformSmoke", L"smoke", WS_POPUP | WS_VISIBLE,
                                  40, 40, 120, 80, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
    HDC dc = GetDC(window);
    COLORREF pixel = GetPixel(dc, 60, 40);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    UnregisterClassW(L"LumenoPlatformSmoke", windowClass.hInstance);
    EXPECT_EQ(pixel, kPaintColour);
}

// The skins ask for the face "微软雅黑"; the test prefix maps it to a CJK font, so Chinese,
// Japanese and Korean texts have glyphs.
TEST(Platform, SkinFontFaceHasCjkGlyphs)
{
    const wchar_t face[] = L"\x5FAE\x8F6F\x96C5\x9ED1";
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    wchar_t replacement[64] = {};
    DWORD size = sizeof(replacement) - sizeof(wchar_t);
    LONG status = RegQueryValueExW(key, face, nullptr, nullptr, reinterpret_cast<BYTE*>(replacement), &size);
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(replacement), L"WenQuanYi Micro Hei");

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t text[] = L"\x5B89\x88C5\x30A4\xC124";  // Chinese, Japanese and Korean letters
    WORD glyphs[4] = {};
    DWORD converted = GetGlyphIndicesW(dc, text, 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    ASSERT_EQ(converted, 4u);
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF);
}

TEST(Platform, RegistryValueRoundTripsUnderCurrentUser)
{
    const wchar_t* keyPath = L"Software\\LumenoPlatformSmoke";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::wstring written = L"C:\\Program Files\\Lumeno \x00FC";
    ASSERT_EQ(RegSetValueExW(key, L"Probe", 0, REG_SZ, reinterpret_cast<const BYTE*>(written.c_str()),
                             static_cast<DWORD>((written.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);

    wchar_t buffer[128] = {};
    DWORD size = sizeof(buffer), type = 0;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"Probe", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, keyPath);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(buffer), written);
}

TEST(Platform, ChildOutputIsReadThroughRedirectedPipes)
{
    PipedChild child;
    std::wstring commandLine = L"\"" + TestFiles::HostPath(PLATFORM_CHILD) + L"\" hello";
    ASSERT_TRUE(child.Start(commandLine));
    std::string output = child.ReadToEnd();
    WaitForSingleObject(child.info.hProcess, 10000);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.info.hProcess, &exitCode);
    EXPECT_NE(output.find("child says hello"), std::string::npos) << output;
    EXPECT_NE(output.find("to stderr"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 7u);
}

// Wine starts Linux programs detached and without standard handles, so the server
// hands over its port through a file and is ended by a request.
TEST(Platform, CurlFetchesFromLocalServer)
{
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring portFile = std::wstring(folder) + L"\\server.port";
    DeleteFileW(portFile.c_str());
    std::string unixPortFile;
    for (wchar_t c : portFile.substr(2)) unixPortFile += c == L'\\' ? '/' : static_cast<char>(c);

    PipedChild server;
    std::wstring commandLine = L"/usr/bin/python3 " LUMENO_WIDE_SOURCE_DIR L"/tests/platform/tiny_server.py " +
                               std::wstring(unixPortFile.begin(), unixPortFile.end());
    ASSERT_TRUE(server.Start(commandLine));
    std::string port;
    for (int i = 0; i < 100 && port.empty(); ++i) {
        std::vector<unsigned char> bytes = ReadAll(portFile);
        port.assign(bytes.begin(), bytes.end());
        if (port.empty()) Sleep(100);
    }
    ASSERT_FALSE(port.empty()) << "the server wrote no port";
    std::string base = "http://127.0.0.1:" + port;

    ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK);
    CURL* handle = curl_easy_init();
    ASSERT_NE(handle, nullptr);
    std::string body;
    curl_easy_setopt(handle, CURLOPT_URL, (base + "/hello").c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    std::string ignored;
    curl_easy_setopt(handle, CURLOPT_URL, (base + "/quit").c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &ignored);
    curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    curl_global_cleanup();
    EXPECT_EQ(result, CURLE_OK) << curl_easy_strerror(result);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(body, "hello from 127.0.0.1");
}

TEST(Platform, SevenZipArchiveMadeByTheToolIsRead)
{
    std::wstring path = TestFiles::HostPath(PLATFORM_FIXTURES "/smoke.7z");
    CFileInStream file;
    ASSERT_EQ(InFile_OpenW(&file.file, path.c_str()), 0);
    FileInStream_CreateVTable(&file);
    CLookToRead2 look;
    LookToRead2_CreateVTable(&look, False);
    std::vector<Byte> lookBuffer(1 << 16);
    look.buf = lookBuffer.data();
    look.bufSize = lookBuffer.size();
    look.realStream = &file.vt;
    LookToRead2_INIT(&look);

    ISzAlloc alloc = {SzAlloc, SzFree};
    CrcGenerateTable();
    CSzArEx db;
    SzArEx_Init(&db);
    ASSERT_EQ(SzArEx_Open(&db, &look.vt, &alloc, &alloc), SZ_OK);

    std::string second;
    int files = 0;
    UInt32 blockIndex = 0xFFFFFFFF;
    Byte* out = nullptr;
    size_t outSize = 0;
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        if (SzArEx_IsDir(&db, i)) continue;
        ++files;
        std::vector<UInt16> name(SzArEx_GetFileNameUtf16(&db, i, nullptr));
        SzArEx_GetFileNameUtf16(&db, i, name.data());
        std::string narrow(name.begin(), name.end() - 1);
        if (narrow != "folder/second.txt") continue;
        size_t offset = 0, processed = 0;
        ASSERT_EQ(SzArEx_Extract(&db, &look.vt, i, &blockIndex, &out, &outSize, &offset, &processed, &alloc, &alloc),
                  SZ_OK);
        second.assign(reinterpret_cast<char*>(out + offset), processed);
    }
    ISzAlloc_Free(&alloc, out);
    SzArEx_Free(&db, &alloc);
    File_Close(&file.file);
    EXPECT_EQ(files, 2);
    EXPECT_EQ(second, "second entry");
}

TEST(Platform, JsonIsParsed)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string text = R"([{"id": 106, "en-US": "Installation failed"}])";
    Json::Value root;
    std::string errors;
    ASSERT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
    ASSERT_TRUE(root.isArray());
    EXPECT_EQ(root[0]["id"].asInt(), 106);
    EXPECT_EQ(root[0]["en-US"].asString(), "Installation failed");
}

TEST(Platform, PngIsDecoded)
{
    std::vector<unsigned char> png = ReadAll(TestFiles::HostPath(PLATFORM_FIXTURES "/smoke.png"));
    ASSERT_FALSE(png.empty());
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    // #FF000080 in ImageMagick's notation: red with alpha 0x80.
    EXPECT_EQ(pixels[0], 0xFF);
    EXPECT_EQ(pixels[1], 0x00);
    EXPECT_EQ(pixels[2], 0x00);
    EXPECT_EQ(pixels[3], 0x80);
    stbi_image_free(pixels);
}
