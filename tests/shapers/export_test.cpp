// What each shaper library shows to the process that loads it: exactly the two exports, and
// nothing that could bind one library to another's copy of the framework.
#if defined(_WIN32)
#include "exported_symbols.h"
#else
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#endif

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QNModule_base.h"
#include "plug_record.h"
#include "shaper_variants.h"

namespace shapertest {
namespace {

#if defined(_WIN32)
// A DLL's exports are the names in its export directory.
std::set<std::string> definedDynamicSymbols(const std::string& path) {
    return qntest::definedDynamicSymbols(path);
}
#else
// The names of the defined symbols in the library file's dynamic symbol table, as
// `nm -D --defined-only` lists them; read from the file with the loader's own ELF class.
std::set<std::string> definedDynamicSymbols(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> image{std::istreambuf_iterator<char>(file), {}};
    std::set<std::string> names;
    if (image.size() < sizeof(ElfW(Ehdr))) {
        ADD_FAILURE() << "cannot read " << path;
        return names;
    }
    ElfW(Ehdr) header;
    std::memcpy(&header, image.data(), sizeof header);
    const auto section = [&](size_t index) {
        ElfW(Shdr) entry;
        std::memcpy(&entry, image.data() + header.e_shoff + index * header.e_shentsize,
                    sizeof entry);
        return entry;
    };
    for (size_t i = 0; i < header.e_shnum; ++i) {
        const ElfW(Shdr) table = section(i);
        if (table.sh_type != SHT_DYNSYM) {
            continue;
        }
        const ElfW(Shdr) strings = section(table.sh_link);
        for (size_t offset = 0; offset + sizeof(ElfW(Sym)) <= table.sh_size;
             offset += sizeof(ElfW(Sym))) {
            ElfW(Sym) symbol;
            std::memcpy(&symbol, image.data() + table.sh_offset + offset, sizeof symbol);
            if (symbol.st_shndx != SHN_UNDEF && symbol.st_name != 0) {
                names.insert(image.data() + strings.sh_offset + symbol.st_name);
            }
        }
    }
    return names;
}
#endif

TEST(ShaperExports, EachLibraryExportsExactlyTheTwoEntryPoints) {
    const std::set<std::string> exports{"getModuleProperties", "makeModule"};
    for (const Variant& variant : variants()) {
        EXPECT_EQ(definedDynamicSymbols(variant.path()), exports) << variant.id;
    }
}

// Loaded together into one process with global binding, every library still uses its own
// framework: its own texts, its own pin table, its own library-wide ProcessInfo record.
TEST(ShaperExports, LibrariesLoadedTogetherGloballyStaySeparate) {
    std::vector<std::unique_ptr<qnhost::PluginLibrary>> libraries;
    std::vector<std::unique_ptr<qnhost::HostedModule>> modules;
    for (const Variant& variant : variants()) {
        libraries.push_back(
            qnhost::PluginLibrary::load(variant.path(), qnhost::PluginLibrary::Binding::kGlobal));
        for (const char* hidden : {"dispatcherEntry", "eventEntry", "emptyProcess"}) {
            EXPECT_EQ(libraries.back()->symbol(hidden), nullptr) << variant.id << " " << hidden;
        }
    }
    for (size_t i = 0; i < libraries.size(); ++i) {
        const Variant& variant = variants()[i];
        ModuleProperties properties{};
        ASSERT_EQ(libraries[i]->getModuleProperties()(0, &properties), 1);
        EXPECT_STREQ(properties.id, variant.id);
        modules.push_back(qnhost::HostedModule::create(libraries[i]->makeModule()));
        ASSERT_TRUE(modules.back());
        modules.back()->open();
        EXPECT_EQ(modules.back()->pinCount(), variant.pinCount()) << variant.id;
    }
    // Ask every instance first and look afterwards: a shared record would by then describe
    // the last instance asked.
    std::vector<const ProcessInfo*> infos;
    for (const auto& module : modules) {
        infos.push_back(reinterpret_cast<const ProcessInfo*>(module->dispatch(plugGetProcessInfo)));
    }
    EXPECT_EQ(std::set<const ProcessInfo*>(infos.begin(), infos.end()).size(), infos.size());
    for (size_t i = 0; i < modules.size(); ++i) {
        SCOPED_TRACE(variants()[i].id);
        ASSERT_NE(infos[i], nullptr);
        EXPECT_EQ(infos[i]->structVersion, 1);
        EXPECT_EQ(infos[i]->descriptorSize, 16);
        EXPECT_EQ(infos[i]->processFunction->entry, modules[i]->record()->process);
        const auto* object = static_cast<const char*>(modules[i]->record()->object);
        const auto* field = reinterpret_cast<const char*>(infos[i]->processFunction);
        EXPECT_TRUE(field > object && field < object + sizeof(QNModule_base))
            << "the process function of its own instance";
    }
}

}  // namespace
}  // namespace shapertest
