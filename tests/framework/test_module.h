// A module for framework tests: describes whatever pins a test gives it and records every
// virtual operation the framework calls, in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "QNModule_base.h"
#include "hosted_module.h"

namespace qntest {

struct Call {
    std::string name;
    std::vector<intptr_t> args;
    friend bool operator==(const Call&, const Call&) = default;
};

// Calls of modules that are already deleted still need a home.
inline std::vector<Call>& callLog() {
    static std::vector<Call> log;
    return log;
}

class TestModule : public QNModule_base {
  public:
    using QNModule_base::QNModule_base;
    ~TestModule() override { callLog().push_back({"destructor", {}}); }

    void onPlugStateChange(QNPin& pin) override {
        callLog().push_back({"onPlugStateChange", {pin.getIndex(), pin.getStatus()}});
    }
    void open() override {
        callLog().push_back({"open", {}});
        QNModule_base::open();
    }
    void close() override { callLog().push_back({"close", {}}); }
    void setSampleRate(float rate) override {
        callLog().push_back({"setSampleRate", {static_cast<intptr_t>(rate)}});
        QNModule_base::setSampleRate(rate);
    }
    void setBlockSize(int32_t size) override {
        callLog().push_back({"setBlockSize", {size}});
        QNModule_base::setBlockSize(size);
    }
    bool getPinProperties(int32_t index, PinProperties* properties) override {
        fetched.push_back(index);
        seenRecords.push_back(*properties);
        if (index < 0 || static_cast<size_t>(index) >= descriptions.size()) {
            return false;
        }
        const PinProperties& description = descriptions[static_cast<size_t>(index)];
        properties->variable = description.variable;
        properties->direction = description.direction;
        properties->datatype = description.datatype;
        properties->name = description.name;
        properties->flags = description.flags;
        return true;
    }
    void onCommand8() override { callLog().push_back({"onCommand8", {}}); }
    void onCommand8Index(int32_t index) override {
        callLog().push_back({"onCommand8Index", {index}});
    }
    void handleEventType2(int32_t timeStamp, int32_t value, int16_t shortValue) override {
        callLog().push_back({"handleEventType2", {timeStamp, value, shortValue}});
    }
    void onCommand12(int32_t value, int32_t index, void* ptr) override {
        callLog().push_back({"onCommand12", {value, index, reinterpret_cast<intptr_t>(ptr)}});
    }
    void run(int32_t bufferOffset, int32_t sampleCount) {
        runs.push_back({bufferOffset, sampleCount});
    }
    void scheduledOperation() { callLog().push_back({"scheduledOperation", {}}); }

    std::vector<PinProperties> descriptions;
    std::vector<int32_t> fetched;                   // indices getPinProperties was asked for
    std::vector<PinProperties> seenRecords;         // the records as they arrived
    float* variables[8] = {};                       // module variables for descriptions
    std::vector<std::pair<int32_t, int32_t>> runs;  // process runs received
};

inline QN_CDECL PlugRecord* makeTestModule(int32_t /*index*/, int32_t /*kind*/,
                                           HostCallback callback, void* hostHandle) {
    return (new TestModule(callback, hostHandle))->getPlugRecord();
}

// A recording host around a fresh TestModule.
struct Fixture {
    Fixture() : Fixture(recordingOptions()) {}
    static qnhost::HostOptions recordingOptions() {
        qnhost::HostOptions options;
        options.record = true;
        return options;
    }
    explicit Fixture(qnhost::HostOptions options)
        : host(qnhost::HostedModule::create(&makeTestModule, options)),
          module(static_cast<TestModule*>(QNModule_base::fromObject(host->record()->object))) {
        callLog().clear();
    }
    std::unique_ptr<qnhost::HostedModule> host;
    TestModule* module;
};

inline PinProperties description(int32_t datatype, void* variable = nullptr, uint32_t flags = 0) {
    PinProperties properties{};
    properties.datatype = datatype;
    properties.variable = variable;
    properties.flags = flags;
    properties.name = "pin";
    return properties;
}

inline qnhost::Request request(int32_t code, int32_t index = 0, int32_t value = 0, intptr_t ptr = 0,
                               float opt = 0.0f) {
    return qnhost::Request{code, index, value, ptr, opt};
}

}  // namespace qntest
