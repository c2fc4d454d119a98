// EnumListIterator: walks an enumeration-list text entry by entry. A list text is either
// labels separated by "," (each optionally "=" value; an entry without a value takes the
// previous value plus one, starting from -1), or "range" followed by one separator character
// and two bounds "first,last" standing for every integer between them. The iterator keeps its
// own copy of the text.
#pragma once

#include <cstdint>
#include <string>

struct EnumEntry {
    int32_t index = -1;   // position in the walk; -1 once the walk is past its last entry
    int32_t value = 0;    // the entry's integer value
    std::u16string text;  // the label; in range mode the value in decimal
};

class EnumListIterator {
  public:
    // Copies the text and decides the mode. The text "range" alone throws std::out_of_range:
    // there is no separator character to skip. Does not position the iterator.
    explicit EnumListIterator(const std::u16string& listText);

    // Positions on the first entry, or at the end when there is none.
    void first();
    // Advances to the next entry, or to the end; once at the end it stays there.
    void next();
    bool isDone() const noexcept { return currentEntry.index == -1; }
    EnumEntry& current() noexcept { return currentEntry; }
    // Entries as the text declares them, not as a walk counts them: in list mode one more
    // than the "," after the first character, in range mode |last - first| + 1. Clamped to
    // the 32-bit range.
    int32_t count() const noexcept;
    // Walk from the first entry to the first one whose value (index) matches; false, and at
    // the end, when none does.
    bool findValue(int32_t value);
    bool findIndex(int32_t index);

  private:
    void nextInRange();
    void nextInList();

    std::u16string listText;
    EnumEntry currentEntry;
    bool isRange;
    int32_t position;  // list mode: where the next entry begins; range mode: the first value
    int32_t rangeLast;
};

// True when the list names `value`.
bool isValidEnumValue(const std::u16string& listText, int32_t value);
// `value` when the list names it, else the list's first value, or 0 for a list without entries.
int32_t validateEnumValue(const std::u16string& listText, int32_t value);
