#include "toolkit/archive/SkinResources.h"

CSkinResources::State& CSkinResources::Get()
{
    static State state;
    return state;
}

void CSkinResources::SetModuleInstance(HINSTANCE instance)
{
    Get().moduleInstance = instance;
}

HINSTANCE CSkinResources::GetModuleInstance()
{
    return Get().moduleInstance;
}

void CSkinResources::SetResourceInstance(HINSTANCE instance)
{
    Get().resourceInstance = instance;
}

HINSTANCE CSkinResources::GetResourceInstance()
{
    State& s = Get();
    return s.resourceInstance ? s.resourceInstance : s.moduleInstance;
}

std::wstring CSkinResources::ModuleFolder()
{
    HINSTANCE module = Get().moduleInstance;
    if (module == nullptr) {
        return std::wstring();
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) {
            return std::wstring();
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void CSkinResources::SetSkinFolder(const std::wstring& path)
{
    std::wstring stored = path;
    if (!stored.empty() && stored.back() != L'\\' && stored.back() != L'/') {
        stored += L'\\';
    }
    Get().resourcePath = stored;
}

const std::wstring& CSkinResources::SkinFolder()
{
    return Get().resourcePath;
}

void CSkinResources::UseSevenZipArchive(bool on)
{
    Get().useSevenZip = on;
}

bool CSkinResources::IsSevenZipArchive()
{
    return Get().useSevenZip;
}

void CSkinResources::SetResourceArchive(const void* bytes, size_t size)
{
    State& s = Get();
    if (s.archiveName == kMemoryArchive) {
        return;
    }
    s.currentArchive.reset();
    s.archiveName = kMemoryArchive;
    s.archiveCached = true;
    if (s.useSevenZip) {
        s.currentArchive = SkinArchive::OpenFromMemory(bytes, size);
    }
}

void CSkinResources::SetResourceArchiveFile(const std::wstring& name, bool keepOpen)
{
    State& s = Get();
    if (name == s.archiveName && keepOpen == s.archiveCached) {
        return;
    }
    s.currentArchive.reset();
    s.archiveName = name;
    s.archiveCached = keepOpen;
    if (keepOpen) {
        s.currentArchive = SkinArchive::OpenFromFile(s.resourcePath + name);
    }
}

const std::wstring& CSkinResources::ArchiveName()
{
    return Get().archiveName;
}

bool CSkinResources::IsArchiveCached()
{
    return Get().archiveCached;
}

const SkinArchive* CSkinResources::CurrentArchive()
{
    return Get().currentArchive.get();
}
