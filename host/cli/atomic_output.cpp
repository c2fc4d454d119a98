#include "atomic_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "plugin_library.h"

namespace qnhost {

AtomicOutput::AtomicOutput(std::string targetPath)
    : target(std::move(targetPath)),
      temporary(target + ".tmp" + std::to_string(static_cast<long>(getpid()))) {}

AtomicOutput::~AtomicOutput() {
    if (!committed) {
        std::remove(temporary.c_str());
    }
}

void AtomicOutput::commit() {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        throw HostError("cannot write " + target + ": " + std::strerror(errno));
    }
    committed = true;
}

void writeTextFile(const std::string& path, const std::string& text) {
    AtomicOutput output(path);
    {
        std::ofstream file(output.temporaryPath(), std::ios::binary | std::ios::trunc);
        if (!file) {
            throw HostError("cannot write " + path + ": " + std::strerror(errno));
        }
        file << text;
        file.flush();
        if (!file) {
            throw HostError("cannot write " + path + ": write failed");
        }
    }
    output.commit();
}

}  // namespace qnhost
