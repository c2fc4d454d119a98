// The names a shared library exports, as the platform's loader sees them.
#pragma once

#include <set>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#include <sstream>
#endif

namespace qntest {

#if defined(_WIN32)

// The export directory of a DLL mapped into this process, or null.
inline const IMAGE_EXPORT_DIRECTORY* exportDirectory(HMODULE module) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0 || entry.Size == 0) {
        return nullptr;
    }
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
}

struct ExportTable {
    std::string internalName;     // the name the export directory records for the library
    std::set<std::string> names;  // every export by name
    unsigned long slots = 0;      // entries of the address table, named or by ordinal only
};

// Read from the library's own export directory; empty when it cannot be loaded.
inline ExportTable exportTable(const std::string& path) {
    ExportTable table;
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        return table;
    }
    if (const IMAGE_EXPORT_DIRECTORY* directory = exportDirectory(module)) {
        const auto* base = reinterpret_cast<const char*>(module);
        table.internalName = base + directory->Name;
        table.slots = directory->NumberOfFunctions;
        const auto* names = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
        for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
            table.names.insert(base + names[i]);
        }
    }
    FreeLibrary(module);
    return table;
}

// Every name the DLL exports.
inline std::set<std::string> definedDynamicSymbols(const std::string& path) {
    return exportTable(path).names;
}

#else

// Names that `nm -D --defined-only` lists for the library; empty when nm cannot run.
inline std::set<std::string> definedDynamicSymbols(const std::string& path) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) {
            names.insert(name);
        }
    }
    pclose(pipe);
    return names;
}

#endif

}  // namespace qntest
