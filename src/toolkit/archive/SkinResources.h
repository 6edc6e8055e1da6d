// Where skin files come from: the process-wide resource location state (module and
// resource instances, the folder of loose skin files, and the archive that holds the
// skin). Set once at start-up and by the first window; it only grows afterwards.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/archive/SkinArchive.h"

class CSkinResources {
public:
    // The archive name that stands for the archive held in memory.
    static constexpr const wchar_t* kMemoryArchive = L"membuffer";

    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE GetModuleInstance();
    static void SetResourceInstance(HINSTANCE instance);
    // The resource instance when set, else the module instance.
    static HINSTANCE GetResourceInstance();
    // The module's full file name up to and including its last "\"; empty without module.
    static std::wstring ModuleFolder();

    // Stores the folder of loose skin files; a non-empty path always ends with a slash.
    static void SetSkinFolder(const std::wstring& path);
    static const std::wstring& SkinFolder();

    static void UseSevenZipArchive(bool on);
    static bool IsSevenZipArchive();

    // Makes an in-memory 7z archive current; a no-op once the memory archive is in place.
    static void SetResourceArchive(const void* bytes, size_t size);
    // Names an archive file under the skin folder; with keepOpen it is opened and held.
    static void SetResourceArchiveFile(const std::wstring& name, bool keepOpen);

    static const std::wstring& ArchiveName();
    static bool IsArchiveCached();
    // The archive held open, or none.
    static const SkinArchive* CurrentArchive();

private:
    struct State {
        HINSTANCE moduleInstance = nullptr;
        HINSTANCE resourceInstance = nullptr;
        std::wstring resourcePath;
        std::wstring archiveName;
        bool archiveCached = false;
        std::unique_ptr<SkinArchive> currentArchive;
        bool useSevenZip = false;
    };
    static State& Get();
};
