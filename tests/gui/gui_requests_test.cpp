// Every request a GUI object and its pin handles send, with exact arguments, through a
// recording GuiHostCallback; and the use each accessor makes of the host's answers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "QNGUI_base.h"

namespace {

struct Request {
    GuiPlugRecord* record = nullptr;
    int32_t code = 0;
    int32_t index = 0;
    int32_t value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;

    bool operator==(const Request&) const = default;
};

void PrintTo(const Request& r, std::ostream* out) {
    *out << "(record=" << r.record << " code=" << r.code << " index=" << r.index
         << " value=" << r.value << " ptr=" << r.ptr << " opt=" << r.opt << ")";
}

// The host side of the test: records every request and answers through `respond`, which may
// also act on the request's ptr as a host would.
struct RecordingHost {
    std::vector<Request> requests;
    std::function<intptr_t(const Request&)> respond = [](const Request&) { return intptr_t{0}; };
};

RecordingHost* activeHost = nullptr;

intptr_t QN_CDECL recordingCallback(GuiPlugRecord* record, int32_t request, int32_t index,
                                    int32_t value, void* ptr, float opt) {
    const Request r{record, request, index, value, ptr, opt};
    activeHost->requests.push_back(r);
    return activeHost->respond(r);
}

void* const kPtr = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5678));

class GuiRequests : public ::testing::Test {
  protected:
    void SetUp() override { activeHost = &host; }
    void TearDown() override { activeHost = nullptr; }

    GuiPlugRecord* record() { return gui.getGuiPlugRecord(); }
    Request expect(int32_t code, int32_t index, int32_t value, void* ptr, float opt) {
        return {record(), code, index, value, ptr, opt};
    }

    RecordingHost host;
    QNGUI_base gui{&recordingCallback, nullptr};
};

TEST_F(GuiRequests, CommandRequestsCarryExactlyTheirArguments) {
    gui.sendCommand8(3, -4, kPtr);
    gui.sendCommand18(kPtr);
    gui.sendCommand19(nullptr);
    EXPECT_FALSE(gui.queryCommand20(kPtr));

    const std::vector<Request> expected = {
        expect(8, 3, -4, kPtr, 0.0f),
        expect(18, 0, 0, kPtr, 0.0f),
        expect(19, 0, 0, nullptr, 0.0f),
        expect(20, 0, 0, kPtr, 0.0f),
    };
    EXPECT_EQ(host.requests, expected);
}

TEST_F(GuiRequests, Query20IsTrueForAnyNonzeroAnswer) {
    for (const intptr_t answer : {intptr_t{1}, intptr_t{-1}, intptr_t{2}, intptr_t{INT32_MIN}}) {
        host.respond = [answer](const Request&) { return answer; };
        EXPECT_TRUE(gui.queryCommand20(nullptr)) << "answer " << answer;
    }
}

TEST_F(GuiRequests, CallHostPassesTheAnswerBackUnchanged) {
    host.respond = [](const Request&) { return intptr_t{-123456}; };
    EXPECT_EQ(gui.callHost(99, 1, 2, kPtr, 0.25f), -123456);
    EXPECT_EQ(host.requests.back(), expect(99, 1, 2, kPtr, 0.25f));
}

TEST_F(GuiRequests, GetPinHandsOutOneLibraryWideHandle) {
    QNGUI_base other(&recordingCallback, nullptr);
    QNGuiPin* first = gui.getPin(3);
    QNGuiPin* second = gui.getPin(5);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->getIndex(), 5);
    EXPECT_EQ(second->getGui(), &gui);

    QNGuiPin* third = other.getPin(2);
    EXPECT_EQ(third, first);
    EXPECT_EQ(first->getGui(), &other);
    EXPECT_EQ(first->getIndex(), 2);
    EXPECT_TRUE(host.requests.empty());
}

TEST_F(GuiRequests, ValueWritesSendTheValueInItsOwnArgument) {
    const QNGuiPin pin(4, &gui);
    pin.setValueInt(7);
    pin.setValueFloat(0.5f);
    pin.setValueInt(-1);
    const std::vector<Request> expected = {
        expect(15, 4, 7, nullptr, 0.0f),
        expect(15, 4, 0, nullptr, 0.5f),
        expect(15, 4, -1, nullptr, 0.0f),
    };
    EXPECT_EQ(host.requests, expected);
}

TEST_F(GuiRequests, ValueReadsReturnWhatTheHostStored) {
    const QNGuiPin pin(9, &gui);
    host.respond = [](const Request& r) {
        const int32_t stored = -123456;
        std::memcpy(r.ptr, &stored, 4);
        return intptr_t{0};
    };
    EXPECT_EQ(pin.getValueInt(), -123456);

    host.respond = [](const Request& r) {
        const float stored = 0.25f;
        std::memcpy(r.ptr, &stored, 4);
        return intptr_t{0};
    };
    EXPECT_EQ(pin.getValueFloat(), 0.25f);

    ASSERT_EQ(host.requests.size(), 2u);
    for (const Request& r : host.requests) {
        EXPECT_EQ(r.code, 14);
        EXPECT_EQ(r.index, 9);
        EXPECT_EQ(r.value, 0);
        EXPECT_NE(r.ptr, nullptr);
        EXPECT_EQ(r.opt, 0.0f);
        EXPECT_EQ(r.record, record());
    }
}

TEST_F(GuiRequests, SetValueTextSendsTheNulTerminatedCharacters) {
    std::vector<std::string> seen;
    host.respond = [&seen](const Request& r) {
        seen.emplace_back(static_cast<const char*>(r.ptr));
        return intptr_t{0};
    };
    const QNGuiPin pin(1, &gui);
    pin.setValueText("Square");
    pin.setValueText("");
    ASSERT_EQ(host.requests.size(), 2u);
    for (const Request& r : host.requests) {
        EXPECT_EQ(r.code, 6);
        EXPECT_EQ(r.index, 1);
        EXPECT_EQ(r.value, 0);
        EXPECT_NE(r.ptr, nullptr);  // an empty text is a lone NUL, not a null address
        EXPECT_EQ(r.opt, 0.0f);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Square", ""}));
}

TEST_F(GuiRequests, GetValueTextCopiesTheHostText) {
    char hostText[] = "Saw";
    host.respond = [&hostText](const Request&) { return reinterpret_cast<intptr_t>(hostText); };
    const QNGuiPin pin(2, &gui);
    const std::string text = pin.getValueText();
    hostText[0] = 'X';
    EXPECT_EQ(text, "Saw");
    EXPECT_EQ(host.requests, (std::vector<Request>{expect(7, 2, 0, nullptr, 0.0f)}));
}

TEST_F(GuiRequests, GetValueTextOfANullAnswerIsEmpty) {
    const QNGuiPin pin(2, &gui);
    EXPECT_EQ(pin.getValueText(), "");
    EXPECT_EQ(host.requests.size(), 1u);
}

// A host for the wide text: answers `length` to the length request and writes `fill`
// (without adding anything) into the buffer of the second.
void serveWideText(RecordingHost& host, intptr_t length, std::u16string fill) {
    host.respond = [length, fill](const Request& r) {
        if (r.ptr == nullptr) {
            return length;
        }
        std::memcpy(r.ptr, fill.data(), fill.size() * sizeof(char16_t));
        return intptr_t{0};
    };
}

TEST_F(GuiRequests, WideTextAsksForTheLengthThenFillsIt) {
    struct Case {
        const char* name;
        intptr_t length;
        std::u16string fill;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a word and its NUL", 6, std::u16string(u"Hello\0", 6), u"Hello"},
        {"only the NUL", 1, std::u16string(u"\0", 1), u""},
        {"text after the NUL is not read", 6, std::u16string(u"ab\0cd\0", 6), u"ab"},
        {"no NUL within the length", 4, u"abcd", u"abcd"},
        {"nothing written", 3, u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.requests.clear();
        serveWideText(host, c.length, c.fill);
        const QNGuiPin pin(11, &gui);

        EXPECT_EQ(pin.getValueWideText(), c.expected);

        ASSERT_EQ(host.requests.size(), 2u);
        EXPECT_EQ(host.requests[0], expect(17, 11, 0, nullptr, 0.0f));
        const Request& fill = host.requests[1];
        EXPECT_EQ(fill.code, 17);
        EXPECT_EQ(fill.index, 11);
        EXPECT_EQ(fill.value, c.length);
        EXPECT_NE(fill.ptr, nullptr);
        EXPECT_EQ(fill.opt, 0.0f);
    }
}

TEST_F(GuiRequests, WideTextOfLengthZeroSendsNoSecondRequest) {
    serveWideText(host, 0, u"");
    const QNGuiPin pin(1, &gui);
    EXPECT_EQ(pin.getValueWideText(), u"");
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(GuiRequests, WideTextOfANegativeLengthThrowsBadAlloc) {
    serveWideText(host, -1, u"");
    const QNGuiPin pin(1, &gui);
    EXPECT_THROW(pin.getValueWideText(), std::bad_alloc);
    EXPECT_EQ(host.requests.size(), 1u);
}

}  // namespace
