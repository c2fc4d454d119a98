// The GUI record as constructed, and the dispatcher entry's opcode table, reached through the
// record's entry as a host reaches it.
#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "QNGUI_base.h"

namespace {

intptr_t QN_CDECL silentHost(GuiPlugRecord*, int32_t, int32_t, int32_t, void*, float) {
    return 0;
}

void* const kPtr = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234));

// One call of a virtual operation, with whatever arguments it received.
struct Call {
    std::string op;
    int32_t first = 0;
    int32_t second = 0;
    void* ptr = nullptr;
    uint32_t word = 0;
    bool flag = false;
    const QNGUI_base* pinGui = nullptr;

    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& call, std::ostream* out) {
    *out << call.op << "(first=" << call.first << " second=" << call.second << " ptr=" << call.ptr
         << " word=0x" << std::hex << call.word << std::dec << " flag=" << call.flag
         << " pinGui=" << call.pinGui << ")";
}

class RecordingGui : public QNGUI_base {
  public:
    explicit RecordingGui(std::vector<Call>& log) : QNGUI_base(&silentHost, nullptr), log(log) {}
    ~RecordingGui() override { log.push_back({.op = "destructor"}); }

    void onGuiCommand0(bool flag) override { log.push_back({.op = "0", .flag = flag}); }
    void close() override { log.push_back({.op = "close"}); }
    void onGuiCommand2(int32_t index, void* ptr) override {
        log.push_back({.op = "2", .first = index, .ptr = ptr});
    }
    void onGuiCommand3(void* ptr, uint32_t word, GuiIndexValue pair) override {
        log.push_back(pairCall("3", ptr, word, pair));
    }
    void onGuiCommand4(void* ptr, uint32_t word, GuiIndexValue pair) override {
        log.push_back(pairCall("4", ptr, word, pair));
    }
    void onGuiCommand5(void* ptr, uint32_t word, GuiIndexValue pair) override {
        log.push_back(pairCall("5", ptr, word, pair));
    }
    void onGuiCommand8(void* ptr) override { log.push_back({.op = "8", .ptr = ptr}); }
    void onGuiCommand9(void* ptr) override { log.push_back({.op = "9", .ptr = ptr}); }
    bool onGuiCommand10() override {
        log.push_back({.op = "10"});
        return command10Answer;
    }
    void onGuiCommand11(int32_t index) override { log.push_back({.op = "11", .first = index}); }
    void onGuiCommand12(int32_t index) override { log.push_back({.op = "12", .first = index}); }
    void onGuiCommand6(int32_t value, int32_t index, void* ptr) override {
        log.push_back({.op = "6", .first = value, .second = index, .ptr = ptr});
    }
    void onGuiCommand7(QNGuiPin* pin) override {
        log.push_back({.op = "7", .first = pin->getIndex(), .pinGui = pin->getGui()});
    }

    bool command10Answer = false;

  private:
    static Call pairCall(const char* op, void* ptr, uint32_t word, GuiIndexValue pair) {
        return {.op = op, .first = pair.index, .second = pair.value, .ptr = ptr, .word = word};
    }

    std::vector<Call>& log;
};

int32_t send(QNGUI_base& gui, int32_t opcode, int32_t index = 0, int32_t value = 0,
             void* ptr = nullptr, float opt = 0.0f) {
    GuiPlugRecord* record = gui.getGuiPlugRecord();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(GuiRecord, ConstructionFillsEveryField) {
    int handle = 0;
    QNGUI_base gui(&silentHost, &handle);
    const GuiPlugRecord* record = gui.getGuiPlugRecord();

    const unsigned char magicBytes[4] = {0x4D, 0x50, 0x4E, 0x51};
    EXPECT_EQ(std::memcmp(&record->magic, magicBytes, 4), 0);
    EXPECT_EQ(record->magic, 0x514E504D);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->dispatcher, &guiDispatcherEntry);
    EXPECT_EQ(record->hostHandle, &handle);
    EXPECT_EQ(record->object, static_cast<void*>(&gui));

    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    for (size_t at = offsetof(GuiPlugRecord, reserved); at < sizeof(GuiPlugRecord); ++at) {
        EXPECT_EQ(bytes[at], 0u) << "byte " << at;
    }
}

struct OpcodeCase {
    const char* name;
    int32_t opcode;
    int32_t index;
    int32_t value;
    float opt;
    bool command10Answer;
    int32_t result;
    bool calls;     // whether an operation is expected at all
    Call expected;  // with the receiver's address filled in for opcode 7
};

constexpr float kFloatOne = 1.0f;        // 0x3F800000
constexpr float kFloatMinus2_5 = -2.5f;  // 0xC0200000
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

const OpcodeCase kOpcodeCases[] = {
    {"0 index 1 passes true", 0, 1, 9, 0.0f, false, 0, true, {.op = "0", .flag = true}},
    {"0 index 0 passes false", 0, 0, 1, 0.0f, false, 0, true, {.op = "0", .flag = false}},
    {"0 index 2 passes false", 0, 2, 1, 0.0f, false, 0, true, {.op = "0", .flag = false}},
    {"0 index -1 passes false", 0, -1, 1, 0.0f, false, 0, true, {.op = "0", .flag = false}},
    {"2", 2, 7, 99, 3.0f, false, 0, true, {.op = "2", .first = 7, .ptr = kPtr}},
    {"3 bit pattern of 1.0",
     3,
     4,
     5,
     kFloatOne,
     false,
     0,
     true,
     {.op = "3", .first = 4, .second = 5, .ptr = kPtr, .word = 0x3F800000u}},
    {"4 bit pattern of 1.0",
     4,
     4,
     5,
     kFloatOne,
     false,
     0,
     true,
     {.op = "4", .first = 4, .second = 5, .ptr = kPtr, .word = 0x3F800000u}},
    {"5 bit pattern of 1.0",
     5,
     4,
     5,
     kFloatOne,
     false,
     0,
     true,
     {.op = "5", .first = 4, .second = 5, .ptr = kPtr, .word = 0x3F800000u}},
    {"3 bit pattern of -2.5",
     3,
     -1,
     kMax,
     kFloatMinus2_5,
     false,
     0,
     true,
     {.op = "3", .first = -1, .second = kMax, .ptr = kPtr, .word = 0xC0200000u}},
    {"6 passes value, index, ptr",
     6,
     2,
     9,
     0.0f,
     false,
     0,
     true,
     {.op = "6", .first = 9, .second = 2, .ptr = kPtr}},
    {"7 hands a pin for index and receiver",
     7,
     3,
     8,
     0.0f,
     false,
     0,
     true,
     {.op = "7", .first = 3}},
    {"8", 8, 1, 2, 0.0f, false, 0, true, {.op = "8", .ptr = kPtr}},
    {"9", 9, 1, 2, 0.0f, false, 0, true, {.op = "9", .ptr = kPtr}},
    {"10 answering false", 10, 1, 1, 0.0f, false, 0, true, {.op = "10"}},
    {"10 answering true", 10, 0, 0, 0.0f, true, 1, true, {.op = "10"}},
    {"11", 11, 6, 1, 0.0f, false, 0, true, {.op = "11", .first = 6}},
    {"12", 12, -6, 1, 0.0f, false, 0, true, {.op = "12", .first = -6}},
    {"13 is outside the table", 13, 1, 1, 0.0f, true, 0, false, {}},
    {"-1 is outside the table", -1, 1, 1, 0.0f, true, 0, false, {}},
    {"0x7FFFFFFF is outside the table", kMax, 1, 1, 0.0f, true, 0, false, {}},
    {"the smallest int32 is outside the table", kMin, 1, 1, 0.0f, true, 0, false, {}},
};

TEST(GuiDispatcher, OpcodeTable) {
    for (const OpcodeCase& c : kOpcodeCases) {
        SCOPED_TRACE(c.name);
        std::vector<Call> log;
        RecordingGui gui(log);
        gui.command10Answer = c.command10Answer;

        EXPECT_EQ(send(gui, c.opcode, c.index, c.value, kPtr, c.opt), c.result);

        if (!c.calls) {
            EXPECT_TRUE(log.empty());
            continue;
        }
        Call expected = c.expected;
        if (c.opcode == guiCommand7) {
            expected.pinGui = &gui;
        }
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], expected);
    }
}

TEST(GuiDispatcher, DefaultsAnswerZeroForEveryOpcodeButClose) {
    QNGUI_base gui(&silentHost, nullptr);
    for (int32_t opcode = 0; opcode <= 13; ++opcode) {
        if (opcode == guiClose) {
            continue;
        }
        EXPECT_EQ(send(gui, opcode, 1, 1, kPtr, 1.0f), 0) << "opcode " << opcode;
    }
}

TEST(GuiDispatcher, CloseRunsCloseOnceThenDestroysAndAnswersOne) {
    std::vector<Call> log;
    auto* gui = new RecordingGui(log);
    EXPECT_EQ(send(*gui, guiClose, 5, 6, kPtr, 1.0f), 1);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].op, "close");
    EXPECT_EQ(log[1].op, "destructor");
}

class WholeDispatchGui : public QNGUI_base {
  public:
    WholeDispatchGui() : QNGUI_base(&silentHost, nullptr) {}
    int32_t dispatch(int32_t opcode, int32_t index, int32_t value, void*, float opt) override {
        return opcode * 1000 + index * 10 + value + static_cast<int32_t>(opt);
    }
};

TEST(GuiDispatcher, EntryReachesAnOverriddenDispatch) {
    WholeDispatchGui gui;
    EXPECT_EQ(send(gui, 42, 3, 4, nullptr, 2.0f), 42036);
}

class ThrowingGui : public QNGUI_base {
  public:
    ThrowingGui() : QNGUI_base(&silentHost, nullptr) {}
    void onGuiCommand2(int32_t, void*) override { throw std::runtime_error("gui fault"); }
    bool onGuiCommand10() override { throw 7; }
};

TEST(GuiDispatcher, NothingThrownReachesTheHost) {
    ThrowingGui gui;
    EXPECT_EQ(send(gui, guiCommand2, 1, 0, kPtr), 0);
    EXPECT_EQ(send(gui, guiCommand10), 0);
    EXPECT_EQ(guiDispatcherEntry(nullptr, guiCommand10, 0, 0, nullptr, 0.0f), 0);
}

}  // namespace
