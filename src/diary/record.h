#pragma once
// The ride record, its one-line form in a diary file and the compact row the lists hold.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "diary/fields.h"

namespace diary {

// The record separator "§" of code page 1250.
inline constexpr char kSeparator = '\xA7';

struct DiaryRecord {
    std::string number;
    std::array<std::string, kFieldCount> fields;  // indexed by Field (slot order)

    std::string& operator[](Field f) { return fields[static_cast<std::size_t>(f)]; }
    const std::string& operator[](Field f) const { return fields[static_cast<std::size_t>(f)]; }
    bool operator==(const DiaryRecord&) const = default;
};

// Splits "<number>§<date>§...§<note>§<bike>§" at its separators into the number and the fields
// of kFields. Text after the last field's separator is ignored; fields whose separator is
// missing stay empty, so a line of the eleven classic fields reads as a ride without a bike.
// Kept for the fuzzers and tests: the diary readers split lines into RecordRows.
DiaryRecord ParseRecordLine(std::string_view text);

// "<date>§<from>§<to>§<via>§...§<note>§": the fields in slot order, each followed by "§" (no
// number); an optional field (the bike) only when it or a later one is set. A ride without a
// bike is written as it always was, and a reader that knows eleven fields ignores the bike.
std::string FormatRecordLine(const DiaryRecord& record);

// Throws InvalidValueError when a field holds "§", CR, LF or NUL, any of which would split or
// corrupt the record's line, or when the bike's name breaks CheckBikeName. Every writer calls
// it before touching a file.
void CheckRecordFields(const DiaryRecord& record);
// The same check for one field's text.
void CheckRecordField(std::string_view field);
// A bike's name is matched byte for byte between the rides and the settings' list of bikes,
// where a value loses its edge blanks and outer quotes: a name with either would not find its
// rides again, so it is refused (InvalidValueError), as are an empty name and what
// CheckRecordField refuses.
void CheckBikeName(std::string_view name);

// One row of a record list: the number and the field texts, read in place from bytes
// the row shares (with the other rows read from the same file, or its own), so that a list of
// a hundred thousand rides costs little more than the file it was read from.
class RecordRow {
public:
    RecordRow() = default;
    explicit RecordRow(const DiaryRecord& record);
    RecordRow(const RecordRow&) = default;
    RecordRow& operator=(const RecordRow&) = default;
    // A moved-from row is left empty rather than pointing into bytes it no longer keeps.
    RecordRow(RecordRow&& other) noexcept
        : bytes_(std::move(other.bytes_)),
          text_(std::exchange(other.text_, "")),
          numberSize_(std::exchange(other.numberSize_, 0)),
          begin_(other.begin_),
          fields_(std::exchange(other.fields_, 0)) {}
    RecordRow& operator=(RecordRow&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        text_ = std::exchange(other.text_, "");
        numberSize_ = std::exchange(other.numberSize_, 0);
        begin_ = other.begin_;
        fields_ = std::exchange(other.fields_, 0);
        return *this;
    }
    ~RecordRow() = default;
    // The row of key `number` whose value is `line` (as read from the file), split as
    // ParseRecordLine splits "<number>§" + line.
    static RecordRow FromLine(std::string_view number, std::string_view line);
    // The same row, reading `number` and `line` where they lie in `bytes` rather than copying
    // them: both must point into *bytes, `number` before `line`. What the diary readers use.
    static RecordRow FromShared(std::shared_ptr<const std::string> bytes, std::string_view number,
                                std::string_view line);

    std::string_view Number() const { return Slice(0); }
    std::string_view Get(Field f) const { return Slice(static_cast<int>(f) + 1); }
    // Column 0 is the number, column c > 0 the field FieldAtColumn(c); empty past the last.
    std::string_view Column(int column) const;

    // The end of the bytes the row's texts lie in: memory from a text's start up to it may be
    // read, as the eight-byte readers do.
    const char* BytesEnd() const { return bytes_ ? bytes_->data() + bytes_->size() : text_; }

    // The same row under another record number.
    RecordRow WithNumber(std::string_view number) const;

    DiaryRecord ToRecord() const;
    // Same number and the same field texts: what a checked edit compares with the file.
    bool operator==(const RecordRow& other) const;

private:
    static RecordRow Own(std::string_view number, const std::string_view* fields);

    std::string_view Slice(int i) const {
        if (i == 0) return std::string_view(text_, numberSize_);
        const auto f = static_cast<std::size_t>(i - 1);
        if (f >= fields_) return {};
        return std::string_view(text_ + begin_[f], begin_[f + 1] - begin_[f] - 1);
    }

    std::shared_ptr<const std::string> bytes_;  // keeps text_ alive; null for an empty row
    const char* text_ = "";                     // the number's first byte
    std::uint32_t numberSize_ = 0;
    // Field f (file order) runs from text_ + begin_[f] up to the separator before begin_[f + 1];
    // fields from fields_ on had no separator in their line and are empty.
    std::array<std::uint32_t, kFieldCount + 1> begin_{};
    std::uint8_t fields_ = 0;
};

}  // namespace diary
