#include "elf_exports.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "plugin_library.h"

namespace qnhost {

namespace {

template <class Header, class Section, class Symbol>
std::vector<std::string> readExports(const std::vector<char>& image, const std::string& path) {
    const auto fail = [&path]() -> std::vector<std::string> {
        throw HostError(path + " is not a readable shared library: damaged ELF tables");
    };
    const auto fits = [&image](uint64_t offset, uint64_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    if (!fits(0, sizeof(Header))) {
        return fail();
    }
    Header header;
    std::memcpy(&header, image.data(), sizeof header);
    if (header.e_shentsize != sizeof(Section) ||
        !fits(header.e_shoff, uint64_t{header.e_shnum} * sizeof(Section))) {
        return fail();
    }
    std::vector<Section> sections(header.e_shnum);
    std::memcpy(sections.data(), image.data() + header.e_shoff, sections.size() * sizeof(Section));

    std::vector<std::string> names;
    for (const Section& table : sections) {
        if (table.sh_type != SHT_DYNSYM) {
            continue;
        }
        if (table.sh_link >= sections.size() || table.sh_entsize != sizeof(Symbol) ||
            !fits(table.sh_offset, table.sh_size)) {
            return fail();
        }
        const Section& strings = sections[table.sh_link];
        if (!fits(strings.sh_offset, strings.sh_size)) {
            return fail();
        }
        const size_t count = table.sh_size / sizeof(Symbol);
        for (size_t i = 1; i < count; ++i) {
            Symbol symbol;
            std::memcpy(&symbol, image.data() + table.sh_offset + i * sizeof(Symbol),
                        sizeof symbol);
            const unsigned binding = symbol.st_info >> 4;
            const unsigned type = symbol.st_info & 0xf;
            const bool global =
                binding == STB_GLOBAL || binding == STB_WEAK || binding == STB_GNU_UNIQUE;
            // Version nodes are absolute objects without a size; they name no code or data.
            const bool versionNode = symbol.st_shndx == SHN_ABS && symbol.st_value == 0 &&
                                     symbol.st_size == 0 && type == STT_OBJECT;
            if (!global || symbol.st_shndx == SHN_UNDEF || versionNode ||
                symbol.st_name >= strings.sh_size) {
                continue;
            }
            const char* name = image.data() + strings.sh_offset + symbol.st_name;
            names.emplace_back(name, strnlen(name, strings.sh_size - symbol.st_name));
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

std::vector<std::string> exportedSymbols(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw HostError("cannot read " + path);
    }
    const std::vector<char> image{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    if (image.size() < EI_NIDENT || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0) {
        throw HostError(path + " is not a shared library of this platform");
    }
    if (image[EI_CLASS] == ELFCLASS64) {
        return readExports<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(image, path);
    }
    if (image[EI_CLASS] == ELFCLASS32) {
        return readExports<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(image, path);
    }
    throw HostError(path + " is not a shared library of this platform");
}

}  // namespace qnhost
