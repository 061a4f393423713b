#pragma once
// The ride record, its one-line form in a diary file and the compact row the lists hold.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace diary {

// The record separator "§" of code page 1250.
inline constexpr char kSeparator = '\xA7';

// The eleven fields in the order of a record line in the file.
enum class Field : int {
    Date = 0,
    From,
    To,
    Via,
    DepartureKm,
    ArrivalKm,
    DistanceKm,
    AvgSpeed,
    MaxSpeed,
    RideTime,
    Note,
};
inline constexpr int kFieldCount = 11;

// The eleven fields in the order of the list columns 1..11 (column 0 is the number):
// date, from, via, to, departure, distance, arrival, ride time, average, maximum, note.
inline constexpr std::array<Field, kFieldCount> kDisplayOrder = {
    Field::Date,       Field::From,      Field::Via,      Field::To,
    Field::DepartureKm, Field::DistanceKm, Field::ArrivalKm, Field::RideTime,
    Field::AvgSpeed,   Field::MaxSpeed,  Field::Note,
};

struct DiaryRecord {
    std::string number;
    std::array<std::string, kFieldCount> fields;  // indexed by Field (file order)

    std::string& operator[](Field f) { return fields[static_cast<int>(f)]; }
    const std::string& operator[](Field f) const { return fields[static_cast<int>(f)]; }
    bool operator==(const DiaryRecord&) const = default;
};

// Splits "<number>§<date>§...§<note>§" at its separators into number and the eleven fields.
// Text after the twelfth separator is ignored; fields whose separator is missing stay empty.
DiaryRecord ParseRecordLine(std::string_view text);

// "<date>§<from>§<to>§<via>§...§<note>§": eleven fields, each followed by "§" (no number).
std::string FormatRecordLine(const DiaryRecord& record);

// Throws InvalidValueError when a field holds "§", CR, LF or NUL, any of which would split or
// corrupt the record's line. Every writer calls it before touching a file.
void CheckRecordFields(const DiaryRecord& record);

// One row of a record list: the number and the eleven field texts, stored as one string with
// the offsets of the fields, so that a list of a hundred thousand rides costs little more than
// the file it was read from.
class RecordRow {
public:
    RecordRow() = default;
    explicit RecordRow(const DiaryRecord& record);
    // The row of key `number` whose value is `line` (as read from the file), split as
    // ParseRecordLine splits "<number>§" + line.
    static RecordRow FromLine(std::string_view number, std::string_view line);

    std::string_view Number() const { return Slice(0); }
    std::string_view Get(Field f) const { return Slice(static_cast<int>(f) + 1); }
    // Column 0 is the number, columns 1..11 the fields in display order.
    std::string_view Column(int column) const;

    DiaryRecord ToRecord() const;
    bool operator==(const RecordRow& other) const;

private:
    std::string_view Slice(int i) const {
        return std::string_view(text_).substr(begin_[i], begin_[i + 1] - begin_[i]);
    }
    std::string text_;                 // number and fields back to back, no separators
    std::array<std::uint32_t, 13> begin_{};  // begin_[i]..begin_[i+1] is part i (0 = number)
};

}  // namespace diary
