// The GUI half: the dispatcher with any opcode and arguments, and the pin accessors against a
// host callback whose answers (texts, lengths, values) come from the fuzzer's bytes.
//
// Checked besides the sanitizers: each opcode reaches its operation with the arguments the
// opcode table names (and nothing else reaches any); opcode 10 answers 0 or 1; every request
// carries the asking object's record and exactly the arguments its accessor sends; text reads
// return copies of what the host wrote up to its NUL, never more than the announced length, an
// empty text for a null answer or a length of 0 (without a second request), and
// std::bad_alloc for a negative length; guiClose runs close, then the destructor, answers 1
// and requests nothing.
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "QNGUI_base.h"
#include "QNGuiPin.h"
#include "fuzz_input.h"

namespace {

using qnfuzz::check;
using qnfuzz::Input;

struct Call {
    int operation = -1;  // the opcode whose operation ran; -1 none
    int32_t index = 0;
    int32_t value = 0;
    void* ptr = nullptr;
    uint32_t word = 0;
    bool flag = false;
    int32_t pinIndex = 0;
    QNGUI_base* pinGui = nullptr;
};

struct Request {
    GuiPlugRecord* record;
    int32_t code;
    int32_t index;
    int32_t value;
    void* ptr;
    float opt;
};

// The host: records every request and answers as the fuzzer's bytes say.
struct Host {
    explicit Host(Input& in) : input(in) {}

    Input& input;
    std::vector<Request> requests;
    std::vector<char> text;                      // what the host answers for guiHostGetPinText
    std::optional<int32_t> wideLength;           // the first answer for guiHostGetPinWideText
    std::u16string wideWritten;                  // what it writes on the second request
    intptr_t answer = 0;                         // for every other request
    std::vector<uint8_t> value4 = {0, 0, 0, 0};  // what it stores for guiHostGetPinValue
};

intptr_t QN_CDECL answerRequest(GuiPlugRecord* record, int32_t request, int32_t index,
                                int32_t value, void* ptr, float opt) {
    auto* host = static_cast<Host*>(record->hostHandle);
    host->requests.push_back({record, request, index, value, ptr, opt});
    switch (request) {
        case guiHostGetPinText:
            return host->text.empty() ? 0 : reinterpret_cast<intptr_t>(host->text.data());
        case guiHostGetPinValue:
            check(ptr != nullptr, "guiHostGetPinValue comes with a variable");
            std::memcpy(ptr, host->value4.data(), 4);
            return host->answer;
        case guiHostGetPinWideText:
            if (ptr == nullptr) {
                return host->wideLength.value_or(0);
            }
            check(value == host->wideLength.value_or(0), "the fill request names the length", value,
                  host->wideLength.value_or(0));
            std::memcpy(ptr, host->wideWritten.data(), host->wideWritten.size() * sizeof(char16_t));
            return host->answer;
        default:
            return host->answer;
    }
}

class RecordingGui : public QNGUI_base {
  public:
    RecordingGui(Host& host, int* closes, int* destroyed)
        : QNGUI_base(&answerRequest, &host), closeCount(closes), destroyedAfterClose(destroyed) {}
    ~RecordingGui() override { *destroyedAfterClose = *closeCount; }

    Call last;
    bool answer10 = false;

    void onGuiCommand0(bool flag) override { note(0).flag = flag; }
    void close() override { ++*closeCount; }
    void onGuiCommand2(int32_t index, void* ptr) override {
        Call& c = note(2);
        c.index = index;
        c.ptr = ptr;
    }
    void onGuiCommand3(void* ptr, uint32_t word, GuiIndexValue pair) override {
        pairCall(3, ptr, word, pair);
    }
    void onGuiCommand4(void* ptr, uint32_t word, GuiIndexValue pair) override {
        pairCall(4, ptr, word, pair);
    }
    void onGuiCommand5(void* ptr, uint32_t word, GuiIndexValue pair) override {
        pairCall(5, ptr, word, pair);
    }
    void onGuiCommand8(void* ptr) override { note(8).ptr = ptr; }
    void onGuiCommand9(void* ptr) override { note(9).ptr = ptr; }
    bool onGuiCommand10() override {
        note(10);
        return answer10;
    }
    void onGuiCommand11(int32_t index) override { note(11).index = index; }
    void onGuiCommand12(int32_t index) override { note(12).index = index; }
    void onGuiCommand6(int32_t value, int32_t index, void* ptr) override {
        Call& c = note(6);
        c.value = value;
        c.index = index;
        c.ptr = ptr;
    }
    void onGuiCommand7(QNGuiPin* pin) override {
        Call& c = note(7);
        c.pinIndex = pin->getIndex();
        c.pinGui = pin->getGui();
    }

  private:
    Call& note(int operation) {
        check(last.operation == -1, "one operation per opcode");
        last = Call{};
        last.operation = operation;
        return last;
    }
    void pairCall(int operation, void* ptr, uint32_t word, GuiIndexValue pair) {
        Call& c = note(operation);
        c.ptr = ptr;
        c.word = word;
        c.index = pair.index;
        c.value = pair.value;
    }

    int* closeCount;
    int* destroyedAfterClose;
};

class Session {
  public:
    explicit Session(Input& in) : input(in), host(in) {
        guis[0] = new RecordingGui(host, &closes[0], &destroyed[0]);
        guis[1] = new RecordingGui(host, &closes[1], &destroyed[1]);
    }

    void run() {
        while (!input.empty()) {
            RecordingGui& gui = *guis[input.u8() & 1];
            host.requests.clear();
            switch (input.u8() % 12) {
                case 0:
                    dispatchStep(gui);
                    break;
                case 1:
                    valueText(gui);
                    break;
                case 2:
                    wideText(gui);
                    break;
                case 3:
                    valueNumber(gui);
                    break;
                case 4:
                    setValue(gui);
                    break;
                case 5:
                    setText(gui);
                    break;
                case 6:
                    commands(gui);
                    break;
                case 7:
                    query(gui);
                    break;
                default:
                    pinHandle(gui);
                    break;
            }
        }
        for (int i = 0; i < 2; ++i) {
            host.requests.clear();
            GuiPlugRecord* record = guis[i]->getGuiPlugRecord();
            const int32_t answer =
                record->dispatcher(record, guiClose, input.i32(), input.i32(), nullptr, 0.0f);
            check(answer == 1, "guiClose answers 1", answer);
            check(closes[i] == 1 && destroyed[i] == 1, "close runs once, before the destructor");
            check(host.requests.empty(), "guiClose requests nothing");
        }
    }

  private:
    // The one request an accessor made, with its exact arguments.
    const Request& onlyRequest(RecordingGui& gui, int32_t code, int32_t index, int32_t value,
                               float opt) {
        check(!host.requests.empty(), "the accessor asked the host", code);
        const Request& r = host.requests.front();
        check(r.record == gui.getGuiPlugRecord(), "requests carry the asking object's record");
        check(r.code == code && r.index == index && r.value == value, "request code, index, value",
              r.code, code);
        check(std::bit_cast<uint32_t>(r.opt) == std::bit_cast<uint32_t>(opt), "request opt", code);
        return r;
    }

    void dispatchStep(RecordingGui& gui) {
        int32_t opcode = input.smallOrAny(-1, 14);
        if (opcode == guiClose) {
            opcode = guiCommand10;  // guiClose ends the session
        }
        const int32_t index = input.smallOrAny(-1, 3);
        const int32_t value = input.i32();
        auto* ptr = reinterpret_cast<void*>(static_cast<uintptr_t>(input.u32()));
        const float opt = input.f32();
        gui.answer10 = (input.u8() & 1) != 0;
        gui.last = Call{};
        GuiPlugRecord* record = gui.getGuiPlugRecord();
        const int32_t answer = guiDispatcherEntry(record, opcode, index, value, ptr, opt);
        const Call& c = gui.last;
        check(host.requests.empty(), "the dispatcher requests nothing", opcode);
        check(answer == (opcode == guiCommand10 && gui.answer10 ? 1 : 0), "opcode answer", opcode,
              answer);
        if (static_cast<uint32_t>(opcode) > guiCommand12) {
            check(c.operation == -1, "opcodes outside the table call nothing", opcode);
            return;
        }
        check(c.operation == opcode, "the opcode's own operation runs", opcode, c.operation);
        switch (opcode) {
            case guiCommand0:
                check(c.flag == (index == 1), "opcode 0 passes index == 1", index);
                break;
            case guiCommand2:
                check(c.index == index && c.ptr == ptr, "opcode 2 arguments");
                break;
            case guiCommand3:
            case guiCommand4:
            case guiCommand5:
                check(c.ptr == ptr && c.word == std::bit_cast<uint32_t>(opt) && c.index == index &&
                          c.value == value,
                      "opcodes 3 to 5 pass ptr, the bits of opt and {index, value}", opcode);
                break;
            case guiCommand6:
                check(c.value == value && c.index == index && c.ptr == ptr, "opcode 6 arguments");
                break;
            case guiCommand7:
                check(c.pinIndex == index && c.pinGui == &gui,
                      "opcode 7 hands a pin of the receiver");
                break;
            case guiCommand8:
            case guiCommand9:
                check(c.ptr == ptr, "opcodes 8 and 9 pass ptr", opcode);
                break;
            case guiCommand11:
            case guiCommand12:
                check(c.index == index, "opcodes 11 and 12 pass index", opcode);
                break;
            default:
                break;
        }
    }

    QNGuiPin pin(RecordingGui& gui) { return QNGuiPin(input.smallOrAny(-1, 7), &gui); }

    void valueText(RecordingGui& gui) {
        const QNGuiPin handle = pin(gui);
        const uint8_t length = input.u8();
        host.text.clear();
        if (length != 0) {  // 0: the host answers null
            for (uint8_t i = 1; i < length; ++i) {
                host.text.push_back(static_cast<char>(input.u8()));
            }
            host.text.push_back('\0');
        }
        const std::string expected =
            host.text.empty() ? std::string() : std::string(host.text.data());
        const std::string got = handle.getValueText();
        onlyRequest(gui, guiHostGetPinText, handle.getIndex(), 0, 0.0f);
        check(host.requests.size() == 1 && host.requests[0].ptr == nullptr,
              "one plain text request");
        std::fill(host.text.begin(), host.text.end(), 'X');  // the copy must not follow
        check(got == expected, "getValueText copies up to the NUL",
              static_cast<long long>(got.size()), static_cast<long long>(expected.size()));
    }

    void wideText(RecordingGui& gui) {
        const QNGuiPin handle = pin(gui);
        const uint8_t choice = input.u8();
        const int32_t length = (choice & 0x80) != 0 ? -1 - (input.i32() & 0x7FFFFFFF)
                                                    : static_cast<int32_t>(input.u16() % 2048);
        host.wideLength = length;
        host.wideWritten.clear();
        // What the host writes: at most `length` units, with or without a NUL among them.
        const int32_t written = length > 0 ? input.u16() % (length + 1) : 0;
        for (int32_t i = 0; i < written; ++i) {
            host.wideWritten.push_back(static_cast<char16_t>(input.u8() == 0 ? 0 : input.u16()));
        }
        std::optional<std::u16string> got;
        bool threwBadAlloc = false;
        try {
            got = handle.getValueWideText();
        } catch (const std::bad_alloc&) {
            threwBadAlloc = true;
        }
        onlyRequest(gui, guiHostGetPinWideText, handle.getIndex(), 0, 0.0f);
        check(host.requests[0].ptr == nullptr, "the length request has no buffer");
        if (length < 0) {
            check(threwBadAlloc, "a negative length raises std::bad_alloc", length);
            check(host.requests.size() == 1, "no fill request after a negative length");
            return;
        }
        check(!threwBadAlloc && got.has_value(), "a length of 0 or more gives a text", length);
        if (length == 0) {
            check(got->empty() && host.requests.size() == 1, "a length of 0: empty, one request");
            return;
        }
        check(host.requests.size() == 2, "length, then fill",
              static_cast<long long>(host.requests.size()));
        const Request& fill = host.requests[1];
        check(fill.record == gui.getGuiPlugRecord() && fill.code == guiHostGetPinWideText &&
                  fill.index == handle.getIndex() && fill.value == length && fill.ptr != nullptr &&
                  std::bit_cast<uint32_t>(fill.opt) == 0u,
              "the fill request", fill.value, length);
        check(got->size() <= static_cast<size_t>(length), "never more than the announced length",
              static_cast<long long>(got->size()), length);
        const size_t nul = host.wideWritten.find(u'\0');
        if (nul != std::u16string::npos) {
            check(*got == host.wideWritten.substr(0, nul), "the text up to the host's NUL");
        } else {
            check(got->compare(0, host.wideWritten.size(), host.wideWritten) == 0,
                  "the text starts with what the host wrote");
            if (host.wideWritten.size() == static_cast<size_t>(length)) {
                check(*got == host.wideWritten, "a full buffer without NUL is the whole text");
            }
        }
    }

    void valueNumber(RecordingGui& gui) {
        const QNGuiPin handle = pin(gui);
        for (uint8_t& byte : host.value4) {
            byte = input.u8();
        }
        const bool asFloat = (input.u8() & 1) != 0;
        uint32_t got;
        if (asFloat) {
            got = std::bit_cast<uint32_t>(handle.getValueFloat());
        } else {
            got = static_cast<uint32_t>(handle.getValueInt());
        }
        onlyRequest(gui, guiHostGetPinValue, handle.getIndex(), 0, 0.0f);
        check(host.requests.size() == 1, "one value request");
        uint32_t stored;
        std::memcpy(&stored, host.value4.data(), 4);
        check(got == stored, "the value is the 4 bytes the host stored", got, stored);
    }

    void setValue(RecordingGui& gui) {
        const QNGuiPin handle = pin(gui);
        const int32_t raw = input.i32();
        if ((input.u8() & 1) != 0) {
            const float x = std::bit_cast<float>(raw);
            handle.setValueFloat(x);
            check(onlyRequest(gui, guiHostSetPinValue, handle.getIndex(), 0, x).ptr == nullptr,
                  "setValueFloat sends no ptr");
        } else {
            handle.setValueInt(raw);
            check(onlyRequest(gui, guiHostSetPinValue, handle.getIndex(), raw, 0.0f).ptr == nullptr,
                  "setValueInt sends no ptr");
        }
        check(host.requests.size() == 1, "one set request");
    }

    void setText(RecordingGui& gui) {
        const QNGuiPin handle = pin(gui);
        std::string text;
        for (uint8_t n = input.u8() % 64; n > 0; --n) {
            text.push_back(static_cast<char>(input.u8()));
        }
        handle.setValueText(text);
        const Request& r = onlyRequest(gui, guiHostSetPinText, handle.getIndex(), 0, 0.0f);
        check(r.ptr != nullptr && std::strcmp(static_cast<const char*>(r.ptr), text.c_str()) == 0,
              "setValueText sends the NUL-terminated characters");
        check(host.requests.size() == 1, "one text request");
    }

    void commands(RecordingGui& gui) {
        const int32_t index = input.i32();
        const int32_t value = input.i32();
        auto* ptr = reinterpret_cast<void*>(static_cast<uintptr_t>(input.u32()));
        switch (input.u8() % 3) {
            case 0:
                gui.sendCommand8(index, value, ptr);
                check(onlyRequest(gui, guiHostCommand8, index, value, 0.0f).ptr == ptr,
                      "command 8 ptr");
                break;
            case 1:
                gui.sendCommand18(ptr);
                check(onlyRequest(gui, guiHostCommand18, 0, 0, 0.0f).ptr == ptr, "command 18 ptr");
                break;
            default:
                gui.sendCommand19(ptr);
                check(onlyRequest(gui, guiHostCommand19, 0, 0, 0.0f).ptr == ptr, "command 19 ptr");
                break;
        }
        check(host.requests.size() == 1, "one command request");
    }

    void query(RecordingGui& gui) {
        auto* ptr = reinterpret_cast<void*>(static_cast<uintptr_t>(input.u32()));
        host.answer = input.i32();  // a 32-bit answer, as the host gives it
        const bool got = gui.queryCommand20(ptr);
        check(onlyRequest(gui, guiHostQuery20, 0, 0, 0.0f).ptr == ptr, "query 20 ptr");
        check(got == (host.answer != 0), "queryCommand20 is answer != 0", host.answer);
        host.answer = 0;
    }

    void pinHandle(RecordingGui& gui) {
        const int32_t index = input.i32();
        QNGuiPin* handle = gui.getPin(index);
        check(lastHandle == nullptr || handle == lastHandle, "getPin hands out one address");
        lastHandle = handle;
        check(handle->getIndex() == index && handle->getGui() == &gui, "getPin names (index, gui)");
        check(host.requests.empty(), "getPin requests nothing");
    }

    Input& input;
    Host host;
    RecordingGui* guis[2];
    int closes[2] = {0, 0};
    int destroyed[2] = {0, 0};
    QNGuiPin* lastHandle = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    Session(input).run();
    return 0;
}
