// The demo product's uninstaller. Command line:
//   uninst.exe /S -adminact=... -authorizationact=... -console=show _?=FOLDER
// It removes what the demo package installed in FOLDER and reports "Progress=" lines and
// "State=Success". A file "demo-uninstall-mode.txt" in FOLDER makes it misbehave for
// tests: "fail" (State=Fail), "error" (Error=), "errorthensuccess" (Error=, then a normal
// removal with State=Success), "crash" (ends with a crash code and no verdict), "silent"
// (prints nothing, exits 0).
#include "../common/DemoCommon.h"

#include <string>

int wmain()
{
    std::wstring folder = Demo::TailAfter(GetCommandLineW(), L"_?=");
    if (folder.empty()) {
        Demo::Emit("Error=no installation folder given");
        return 2;
    }
    std::wstring modeFile = folder + L"\\demo-uninstall-mode.txt";
    std::string mode = Demo::ReadSmallFile(modeFile);

    if (mode == "silent") return 0;
    Demo::Emit("Progress=0.1");
    if (mode == "crash") {
        TerminateProcess(GetCurrentProcess(), 0xC0000005);
        return 1;
    }
    if (mode == "fail") {
        Demo::Emit("State=Fail");
        return 1;
    }
    if (mode == "error") {
        Demo::Emit("Error=demo uninstall refused");
        return 1;
    }
    // Complains, then removes everything and states success all the same.
    if (mode == "errorthensuccess") Demo::Emit("Error=demo uninstall complained");

    const size_t count = sizeof(Demo::kInstalledFiles) / sizeof(Demo::kInstalledFiles[0]);
    for (size_t i = 0; i < count; ++i) {
        std::wstring path = folder + L"\\" + Demo::kInstalledFiles[i];
        if (Demo::Exists(path) && !DeleteFileW(path.c_str())) {
            Demo::Emit("Error=cannot remove " + Demo::Narrow(path, CP_ACP));
            return 1;
        }
        Demo::Emit("Progress=" + std::to_string(0.1 + 0.8 * static_cast<double>(i + 1) / count));
    }
    DeleteFileW(modeFile.c_str());
    RemoveDirectoryW(folder.c_str());   // only when nothing else is left in it
    Demo::Emit("Progress=1.0");
    Demo::Emit("State=Success");
    return 0;
}
