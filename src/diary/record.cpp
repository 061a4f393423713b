#include "diary/record.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "diary/errors.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace diary {
namespace {

std::size_t Slot(int slot) { return static_cast<std::size_t>(slot); }

// Finds the separators that end the parts of a record line: ends[k] is where part k stops, for
// the parts whose separator is there; returns how many there are (at most `max`).
int FindSeparators(std::string_view text, std::size_t* ends, int max) {
    int found = 0;
    const char* base = text.data();
    std::size_t pos = 0;
    while (found < max && pos < text.size()) {
        const void* hit = std::memchr(base + pos, kSeparator, text.size() - pos);
        if (hit == nullptr) break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        ends[found++] = at;
        pos = at + 1;
    }
    return found;
}

}  // namespace

DiaryRecord ParseRecordLine(std::string_view text) {
    DiaryRecord record;
    std::size_t ends[kFieldCount + 1];
    const int found = FindSeparators(text, ends, kFieldCount + 1);
    std::size_t start = 0;
    for (int part = 0; part < found; ++part) {
        std::string_view piece = text.substr(start, ends[part] - start);
        if (part == 0) {
            record.number.assign(piece);
        } else {
            record[static_cast<Field>(part - 1)].assign(piece);
        }
        start = ends[part] + 1;
    }
    return record;
}

std::string FormatRecordLine(const DiaryRecord& record) {
    const int written = WrittenFieldCount(
        [&record](int slot) -> std::string_view { return record.fields[Slot(slot)]; });
    std::size_t size = static_cast<std::size_t>(written);
    for (int slot = 0; slot < written; ++slot) size += record.fields[Slot(slot)].size();
    std::string line;
    line.reserve(size);
    for (int slot = 0; slot < written; ++slot) {
        line += record.fields[Slot(slot)];
        line += kSeparator;
    }
    return line;
}

void CheckRecordField(std::string_view field) {
    if (field.find(kSeparator) != std::string_view::npos) {
        throw InvalidValueError("Znak § nelze použít.");
    }
    if (field.find_first_of(std::string_view("\r\n", 2)) != std::string_view::npos) {
        throw InvalidValueError("Konec řádku nelze použít.");
    }
    if (field.find('\0') != std::string_view::npos) {
        throw InvalidValueError("Nulový znak nelze použít.");
    }
}

void CheckBikeName(std::string_view name) {
    if (name.empty()) throw InvalidValueError("Název kola nesmí být prázdný.");
    CheckRecordField(name);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    if (blank(name.front()) || blank(name.back())) {
        throw InvalidValueError("Název kola nesmí začínat ani končit mezerou.");
    }
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front()) {
        throw InvalidValueError("Název kola nesmí být celý v uvozovkách.");
    }
}

void CheckRecordFields(const DiaryRecord& record) {
    for (const std::string& f : record.fields) CheckRecordField(f);
    if (!record[Field::Bike].empty()) CheckBikeName(record[Field::Bike]);
}

namespace {

// Offsets within a row are 32 bits: four gigabytes of one ride is no ride.
constexpr std::size_t kMaxRowBytes = std::numeric_limits<std::uint32_t>::max();

void CheckRowSize(std::size_t size) {
    if (size > kMaxRowBytes) throw std::length_error("Záznam je příliš dlouhý.");
}

}  // namespace

RecordRow RecordRow::Own(std::string_view number, const std::string_view* fields) {
    // "<number>§<date>§...§<note>§<bike>§" with the offsets taken from the parts themselves, so a
    // field holding "§" (which no writer accepts, but a row may carry) keeps its text.
    std::size_t size = number.size() + 1 + kFieldCount;
    for (int i = 0; i < kFieldCount; ++i) size += fields[i].size();
    CheckRowSize(size);
    std::string text;
    text.reserve(size);
    text.append(number);
    text += kSeparator;
    RecordRow row;
    row.begin_[0] = static_cast<std::uint32_t>(text.size());
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        text.append(fields[i]);
        text += kSeparator;
        row.begin_[i + 1] = static_cast<std::uint32_t>(text.size());
    }
    row.bytes_ = std::make_shared<const std::string>(std::move(text));
    row.text_ = row.bytes_->data();
    row.numberSize_ = static_cast<std::uint32_t>(number.size());
    row.fields_ = kFieldCount;
    return row;
}

RecordRow::RecordRow(const DiaryRecord& record) {
    std::string_view fields[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) fields[i] = record.fields[Slot(i)];
    *this = Own(record.number, fields);
}

RecordRow RecordRow::FromLine(std::string_view number, std::string_view line) {
    std::string text;
    text.reserve(number.size() + 1 + line.size());
    text.append(number);
    text += kSeparator;
    text.append(line);
    auto bytes = std::make_shared<const std::string>(std::move(text));
    const std::string_view all(*bytes);
    return FromShared(std::move(bytes), all.substr(0, number.size()),
                      all.substr(number.size() + 1));
}

RecordRow RecordRow::FromShared(std::shared_ptr<const std::string> bytes, std::string_view number,
                                std::string_view line) {
    const auto lineAt = static_cast<std::size_t>(line.data() - number.data());
    if (lineAt + line.size() > kMaxRowBytes) {
        CheckRowSize(number.size() + 1 + line.size());
        return FromLine(number, line);  // offsets would not fit; a copy of its own is smaller
    }
    RecordRow row;
    row.bytes_ = std::move(bytes);
    row.text_ = number.data();
    row.numberSize_ = static_cast<std::uint32_t>(number.size());
    row.begin_[0] = static_cast<std::uint32_t>(lineAt);
    // The separators found sixteen bytes at a time: a line's fields are short, and a call of
    // memchr for each of them was half of opening a diary.
    const char* const base = line.data();
    const std::size_t size = line.size();
    std::size_t pos = 0;
    std::size_t field = 0;
    auto found = [&row, &field, lineAt](std::size_t at) {
        row.begin_[++field] = static_cast<std::uint32_t>(lineAt + at + 1);
    };
#if defined(__SSE2__)
    const __m128i separator = _mm_set1_epi8(kSeparator);
    for (; pos + 16 <= size && field < kFieldCount; pos += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
        auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, separator)));
        for (; hits != 0 && field < kFieldCount; hits &= hits - 1)
            found(pos + static_cast<unsigned>(__builtin_ctz(hits)));
    }
    // The last bytes: the line's last sixteen, less those already looked at.
    if (pos < size && size >= 16 && field < kFieldCount) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 16));
        const unsigned seen = static_cast<unsigned>(16 - (size - pos));
        auto hits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, separator))) >> seen;
        for (; hits != 0 && field < kFieldCount; hits &= hits - 1)
            found(pos + static_cast<unsigned>(__builtin_ctz(hits)));
        pos = size;
    }
#endif
    for (; pos < size && field < kFieldCount; ++pos) {
        if (base[pos] == kSeparator) found(pos);
    }
    row.fields_ = static_cast<std::uint8_t>(field);
    return row;
}

RecordRow RecordRow::WithNumber(std::string_view number) const {
    std::string_view fields[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) fields[i] = Slice(i + 1);
    return Own(number, fields);
}

std::string_view RecordRow::Column(int column) const {
    if (column == 0) return Number();
    const auto field = FieldAtColumn(column);
    return field ? Get(*field) : std::string_view();
}

DiaryRecord RecordRow::ToRecord() const {
    DiaryRecord record;
    record.number.assign(Number());
    for (int i = 0; i < kFieldCount; ++i) record.fields[Slot(i)].assign(Slice(i + 1));
    return record;
}

bool RecordRow::operator==(const RecordRow& other) const {
    for (int i = 0; i <= kFieldCount; ++i) {
        if (Slice(i) != other.Slice(i)) return false;
    }
    return true;
}

}  // namespace diary
