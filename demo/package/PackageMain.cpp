// The demo product's full silent package, a console program. Command line:
//   package.exe /S -console=show -version=1.0.0 -adminact=.. -authorizationact=..
//               -dsc=.. -ssc=.. [-inslang="TAG"] [extra switches] -instdir="DIR" /D=DIR
// It installs lumenomanager.exe, the uninstaller uninst.exe, "uninst.ep", "config.ini"
// and the product data into DIR, reporting progress and facts as Key=Value lines.
//
// Extra switches for tests (through the installer's -instcmd):
//   -demodelay=MS      how long the progress takes (default 3000)
//   -demomode=A,B,...  fail      "Error=" and "State=Fail", exit code 1
//                      noverdict ends with exit code 0 and no "State=" line
//                      crash     ends abruptly with a crash code and no verdict
//                      utf8      announces "Encode=UTF8" and writes UTF-8 from then on
//                      message   writes a "Message=" line
//                      flood     writes 2 MiB of chatter after its verdict
#include "../common/DemoCommon.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The product data; its size also keeps the package above what the single-stream
// downloader accepts.
const unsigned char kPayload[(1 << 20) + 4096] = {'L', 'u', 'm', 'e', 'n', 'o', ' ', 'd', 'a', 't', 'a'};

const int kProductResource = 101;
const int kUninstallerResource = 102;

struct Options {
    std::wstring folder;
    std::wstring language;
    std::wstring modes;
    int delayMs = 3000;
};

Options ReadOptions()
{
    Options options;
    const wchar_t* raw = GetCommandLineW();
    options.folder = Demo::TailAfter(raw, L"/D=");
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(raw, &argc);
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"-inslang=", 0) == 0) options.language = arg.substr(9);
        if (arg.rfind(L"-demomode=", 0) == 0) options.modes = L"," + arg.substr(10) + L",";
        if (arg.rfind(L"-demodelay=", 0) == 0) options.delayMs = _wtoi(arg.c_str() + 11);
        if (options.folder.empty() && arg.rfind(L"-instdir=", 0) == 0) options.folder = arg.substr(9);
    }
    LocalFree(argv);
    return options;
}

bool Has(const Options& options, const wchar_t* mode)
{
    return options.modes.find(std::wstring(L",") + mode + L",") != std::wstring::npos;
}

bool ExtractResource(int id, const std::wstring& path)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return false;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && Demo::WriteBytes(path, data, SizeofResource(nullptr, found));
}

int Fail(const std::string& why)
{
    Demo::Emit("Error=" + why);
    Demo::Emit("State=Fail");
    return 1;
}

} // namespace

int wmain()
{
    Options options = ReadOptions();
    UINT codePage = CP_ACP;
    if (Has(options, L"utf8")) {
        Demo::Emit("Encode=UTF8");
        codePage = CP_UTF8;
    }
    if (options.folder.empty()) return Fail("no install folder given");

    const int steps = 10;
    Demo::Emit("Progress=0.05");
    if (!Demo::MakeFolders(options.folder)) return Fail("cannot create " + Demo::Narrow(options.folder, codePage));

    const std::wstring folder = options.folder;
    for (int step = 1; step <= steps; ++step) {
        Sleep(static_cast<DWORD>(options.delayMs > 0 ? options.delayMs / steps : 0));
        bool ok = true;
        switch (step) {
        case 2: ok = ExtractResource(kProductResource, folder + L"\\lumenomanager.exe"); break;
        case 4: ok = ExtractResource(kUninstallerResource, folder + L"\\uninst.exe"); break;
        case 6: ok = Demo::WriteBytes(folder + L"\\lumeno.dat", kPayload, sizeof(kPayload)); break;
        case 8: {
            std::string entry = Demo::Narrow(folder + L"\\uninst.exe", CP_UTF8) + "\r\n";
            ok = Demo::WriteBytes(folder + L"\\uninst.ep", entry.data(), entry.size());
            break;
        }
        case 9:
            ok = WritePrivateProfileStringW(L"Install", L"Language",
                                            options.language.empty() ? L"en-US" : options.language.c_str(),
                                            (folder + L"\\config.ini").c_str()) != FALSE;
            break;
        default: break;
        }
        if (!ok) return Fail("cannot write into " + Demo::Narrow(folder, codePage));
        if (step == 5 && Has(options, L"crash")) TerminateProcess(GetCurrentProcess(), 0xC0000005);
        if (step == 5 && Has(options, L"fail")) return Fail("demo failure requested");
        Demo::Emit("Progress=" + std::to_string(0.05 + 0.9 * step / steps));
    }

    Demo::Emit("InstallVersion=1.7.9");
    Demo::Emit("InstPath=" + Demo::Narrow(folder, codePage));
    Demo::Emit("ExePath=" + Demo::Narrow(folder + L"\\lumenomanager.exe", codePage));
    Demo::Emit("UninstExePath=" + Demo::Narrow(folder + L"\\uninst.exe", codePage));
    Demo::Emit("UninstEp=" + Demo::Narrow(folder + L"\\uninst.ep", codePage));
    Demo::Emit("StartupStyle=UserStartup");
    Demo::Emit("TopShowDetention=0");
    Demo::Emit("FinsihCloseDetention=0");
    if (Has(options, L"message")) Demo::Emit("Message=" + Demo::Narrow(L"Lumeno 已安装", codePage));
    Demo::Emit("Progress=1.0");
    if (Has(options, L"noverdict")) return 0;
    Demo::Emit("State=Success");

    if (Has(options, L"flood")) {
        std::string chatter(1023, 'x');
        for (int i = 0; i < 2048; ++i) Demo::Emit(chatter);
    }
    return 0;
}
