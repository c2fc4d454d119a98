// The two exports and what creation hands the host: the export table, getModuleProperties,
// makeModule's refusals and the plug record.
#include <climits>
#include <cstring>

#include "check.h"
#include "elf_exports.h"

namespace qnhost::validate {

namespace {

constexpr unsigned char kPattern = 0xA5;

// Counts the requests a module makes while it should make none.
int requestsSeen = 0;
intptr_t QN_CDECL countingCallback(PlugRecord*, int32_t, int32_t, int32_t, void*, float) {
    ++requestsSeen;
    return 0;
}

void checkExports(const CheckContext& context) {
    const std::vector<std::string> names = exportedSymbols(context.session.path());
    const std::vector<std::string> expected{"getModuleProperties", "makeModule"};
    if (names != expected) {
        std::string list;
        for (const std::string& name : names) {
            list += (list.empty() ? "" : ", ") + name;
        }
        fail("exports " + std::to_string(names.size()) + " symbols (" + list +
             "), expected exactly getModuleProperties and makeModule");
    }
}

// A properties record with guard bytes after it, all set to the pattern.
struct GuardedProperties {
    ModuleProperties record;
    unsigned char guard[16];
};

bool untouched(const void* bytes, size_t size) {
    const auto* at = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) {
        if (at[i] != kPattern) {
            return false;
        }
    }
    return true;
}

void checkModuleProperties(const CheckContext& context) {
    const GetModulePropertiesEntry describe = context.session.plugin().getModuleProperties();
    GuardedProperties filled;
    std::memset(&filled, kPattern, sizeof filled);
    require(describe(0, &filled.record) == 1, "getModuleProperties(0) does not answer 1");
    require(filled.record.frameworkVersion == QN_FRAMEWORK_VERSION,
            "frameworkVersion is " + std::to_string(filled.record.frameworkVersion) +
                ", expected 2230");
    require(filled.record.name != nullptr && filled.record.id != nullptr &&
                filled.record.about != nullptr,
            "name, id or about left null for index 0");
    require(filled.record.name[0] != '\0' && filled.record.id[0] != '\0',
            "empty name or identifier");
    require(untouched(&filled.record.reservedA, sizeof(int32_t) * 2),
            "index 0 wrote the words it must leave alone (after about)");
    require(untouched(filled.guard, sizeof filled.guard), "index 0 wrote past the record");

    for (const int32_t index : {1, 2, -1, INT_MIN, INT_MAX}) {
        std::memset(&filled, kPattern, sizeof filled);
        const int32_t answer = describe(index, &filled.record);
        const std::string which = "index " + std::to_string(index);
        require(answer == 0, which + " answers " + std::to_string(answer) + ", expected 0");
        require(filled.record.frameworkVersion == QN_FRAMEWORK_VERSION,
                which + " does not store frameworkVersion 2230");
        require(untouched(&filled.record, offsetof(ModuleProperties, frameworkVersion)),
                which + " wrote more than frameworkVersion");
        require(untouched(filled.guard, sizeof filled.guard), which + " wrote past the record");
    }
}

void checkMakeModule(const CheckContext& context) {
    const MakeModuleEntry make = context.session.plugin().makeModule();
    requestsSeen = 0;
    const std::pair<int32_t, int32_t> refused[] = {{1, 1}, {-1, 1}, {INT_MIN, 1},
                                                   {0, 0}, {0, 2},  {0, -1}};
    for (const auto& [index, kind] : refused) {
        PlugRecord* record = make(index, kind, &countingCallback, nullptr);
        if (record != nullptr) {
            record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f);
            fail("makeModule(" + std::to_string(index) + ", " + std::to_string(kind) +
                 ") creates an instance");
        }
    }
    require(requestsSeen == 0, "a refused makeModule called the host");
    PlugRecord* first = make(0, QN_OBJECT_KIND_MODULE, &countingCallback, nullptr);
    PlugRecord* second = make(0, QN_OBJECT_KIND_MODULE, &countingCallback, nullptr);
    const int requests = requestsSeen;
    for (PlugRecord* record : {first, second}) {
        if (record != nullptr) {
            record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f);
        }
    }
    require(first != nullptr && second != nullptr, "makeModule(0, 1) answers null");
    require(first != second, "two makeModule calls answer the same record");
    require(requests == 0, "makeModule made " + std::to_string(requests) + " host requests");
}

void checkPlugRecord(const CheckContext& context) {
    const MakeModuleEntry make = context.session.plugin().makeModule();
    int handle = 0;
    PlugRecord* record = make(0, QN_OBJECT_KIND_MODULE, &countingCallback, &handle);
    require(record != nullptr, "makeModule(0, 1) answers null");
    std::string problem;
    if (record->magic != QN_PLUG_MAGIC) {
        problem = "magic is not 'QNPL'";
    } else if (record->version != QN_PLUG_VERSION) {
        problem = "version is " + std::to_string(record->version) + ", expected 1";
    } else if (record->hostHandle != &handle) {
        problem = "hostHandle is not the handle given to makeModule";
    } else if (record->object == nullptr) {
        problem = "object is null";
    } else if (record->dispatcher == nullptr || record->process == nullptr ||
               record->eventHandler == nullptr) {
        problem = "an entry (dispatcher, process, eventHandler) is null";
    } else if (record->reserved16 != 0 || record->reserved32[0] != 0 ||
               record->reserved32[1] != 0 || record->reserved32[2] != 0 ||
               record->reserved32[3] != 0) {
        problem = "a reserved word is not 0";
    }
    // Calling the process entry before open must be harmless.
    if (problem.empty()) {
        record->process(record->object, 0, 16);
    }
    record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f);
    require(problem.empty(), problem);
}

}  // namespace

std::vector<Check> boundaryChecks() {
    return {
        {"exports", "exactly getModuleProperties and makeModule are exported", checkExports},
        {"module-properties", "getModuleProperties writes only what it may", checkModuleProperties},
        {"make-module", "makeModule refuses other indices and kinds and makes no request",
         checkMakeModule},
        {"plug-record", "the plug record's fields", checkPlugRecord},
    };
}

}  // namespace qnhost::validate
