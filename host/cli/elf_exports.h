// The names a shared library exports: the defined global and weak entries of its dynamic
// symbol table, read from the file itself (32- and 64-bit ELF).
#pragma once

#include <string>
#include <vector>

namespace qnhost {

// Sorted names; throws HostError when the file is no readable ELF shared object.
std::vector<std::string> exportedSymbols(const std::string& path);

}  // namespace qnhost
