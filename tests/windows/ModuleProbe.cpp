// A Windows program that looks into the module the way a Windows host does and prints one line per answer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

// "ATTR:128" names a resource type by name, "#2:100" by number.
void PrintResource(HMODULE module, const std::string& request)
{
    const size_t colon = request.find(':');
    const std::string type = request.substr(0, colon);
    const unsigned id = unsigned(std::strtoul(request.c_str() + colon + 1, nullptr, 10));
    LPCSTR typeName = type[0] == '#' ? MAKEINTRESOURCEA(std::strtoul(type.c_str() + 1, nullptr, 10)) : type.c_str();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), typeName);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        std::printf("resource %s missing\n", request.c_str());
        return;
    }
    const DWORD size = SizeofResource(module, found);
    std::printf("resource %s %lu %08lx\n", request.c_str(), static_cast<unsigned long>(size),
                crc32(0, static_cast<const Bytef*>(bytes), size));
}

} // namespace

int main(int argc, char** argv)
{
    // Lines end as the native tests that read them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        std::printf("load failed %lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    for (const char* name : {"GetAttr", "ConstructProgramPlugin", "ConstructTemplatePlugin", "DestructProgramPlugin"})
        std::printf("export %s %s\n", name, GetProcAddress(module, name) ? "found" : "missing");
    for (int i = 2; i < argc; ++i)
        PrintResource(module, argv[i]);
    std::printf("unloaded %s\n", FreeLibrary(module) ? "yes" : "no");
    return 0;
}
