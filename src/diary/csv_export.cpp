#include "diary/csv_export.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "diary/atomic_file.h"
#include "diary/cp1250.h"
#include "diary/field_text.h"
#include "diary/regional.h"

namespace diary {

namespace {

// What a byte asks of the writer: nothing, quotes around its field, or conversion to UTF-8.
enum Class : std::uint8_t { kPlainByte, kQuotedByte, kHighByte };

struct Utf8 {
    std::uint8_t size = 0;
    char bytes[3] = {};
};

// The UTF-8 of every code page 1250 byte, taken from the codec once.
const std::array<Utf8, 256>& Utf8Table() {
    static const std::array<Utf8, 256> table = [] {
        std::array<Utf8, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const std::string utf8 = Cp1250ToUtf8(std::string(1, static_cast<char>(b)));
            t[static_cast<std::size_t>(b)].size = static_cast<std::uint8_t>(utf8.size());
            for (std::size_t i = 0; i < utf8.size() && i < 3; ++i) {
                t[static_cast<std::size_t>(b)].bytes[i] = utf8[i];
            }
        }
        return t;
    }();
    return table;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `text` is a negative number as a spreadsheet reads one: "-" then digits with at most
// one decimal point or comma.
bool IsNegativeNumber(std::string_view text) {
    if (text.size() < 2 || text.front() != '-') return false;
    bool digit = false, point = false;
    for (const char c : text.substr(1)) {
        if (IsDigit(c)) {
            digit = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// A cell that a spreadsheet would take for a formula and run ("=HYPERLINK(...)" in a note):
// the usual guidance is a leading apostrophe, which the spreadsheet shows as text.
bool LooksLikeFormula(std::string_view text) {
    if (text.empty()) return false;
    switch (text.front()) {
        case '=':
        case '+':
        case '@':
        case '\t':
        case '\r':
            return true;
        case '-':
            return !IsNegativeNumber(text);
        default:
            return false;
    }
}

// Writes into a buffer it grows itself: a hundred thousand rides make over a million fields,
// and appending each to a std::string one call at a time costs more than the file's write.
class CsvWriter {
public:
    explicit CsvWriter(char separator, std::size_t expected) : utf8_(Utf8Table()) {
        for (int b = 0x80; b < 256; ++b) classes_[static_cast<std::size_t>(b)] = kHighByte;
        for (const char c : {separator, '"', '\r', '\n'}) {
            classes_[static_cast<unsigned char>(c)] = kQuotedByte;
        }
        Reserve(expected);
    }

    // A field already in UTF-8 (a caption).
    void Utf8Field(std::string_view text) {
        Reserve(2 * text.size() + 2);
        const bool quote = (Scan(text) & kQuotedByte) != 0;
        if (quote) *end_++ = '"';
        for (const char c : text) {
            if (quote && c == '"') *end_++ = '"';
            *end_++ = c;
        }
        if (quote) *end_++ = '"';
    }

    // A field of code page 1250 bytes.
    void Cp1250Field(std::string_view text) {
        // Three bytes of UTF-8 a byte at most, every quote doubled, the two around, an apostrophe.
        Reserve(3 * text.size() + 3);
        // Most fields are short and plain: copied while they are looked at, in one pass. The
        // cursor is a local so that the stores through it need not reload it.
        char* out = end_;
        std::uint8_t seen = kPlainByte;
        for (const char c : text) {
            seen |= classes_[static_cast<unsigned char>(c)];
            *out++ = c;
        }
        const bool formula = LooksLikeFormula(text);
        if (seen == kPlainByte && !formula) {
            end_ = out;
            return;
        }
        out = end_;
        const bool quote = (seen & kQuotedByte) != 0;
        if (quote) *out++ = '"';
        if (formula) *out++ = '\'';
        for (const char c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                if (c == '"') *out++ = '"';
                *out++ = c;
            } else {
                std::memcpy(out, utf8_[b].bytes, 3);
                out += utf8_[b].size;
            }
        }
        if (quote) *out++ = '"';
        end_ = out;
    }

    void Put(std::string_view text) {
        Reserve(text.size());
        std::memcpy(end_, text.data(), text.size());
        end_ += text.size();
    }
    void Put(char c) {
        Reserve(1);
        *end_++ = c;
    }

    std::string_view Text() const {
        return {buffer_.get(), static_cast<std::size_t>(end_ - buffer_.get())};
    }

private:
    std::uint8_t Scan(std::string_view text) const {
        std::uint8_t seen = kPlainByte;
        for (const char c : text) seen |= classes_[static_cast<unsigned char>(c)];
        return seen;
    }

    void Reserve(std::size_t more) {
        const auto used = static_cast<std::size_t>(end_ - buffer_.get());
        if (capacity_ - used >= more) return;
        const std::size_t capacity = std::max(2 * capacity_, used + more + 4096);
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (used > 0) std::memcpy(bigger.get(), buffer_.get(), used);
        buffer_ = std::move(bigger);
        capacity_ = capacity;
        end_ = buffer_.get() + used;
    }

    const std::array<Utf8, 256>& utf8_;
    std::array<std::uint8_t, 256> classes_{};
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    char* end_ = nullptr;
};

// The decimal separator a number may have been typed with that the user's spreadsheet would
// not read as one, and the one it reads; none where the user's is neither comma nor point.
struct DecimalPoints {
    char other = '\0';
    char own = '\0';
};

DecimalPoints PointsOf(const RegionalSettings& regional) {
    if (regional.decimalSeparator == ",") return {'.', ','};
    if (regional.decimalSeparator == ".") return {',', '.'};
    return {};
}

// `text` with its decimal separator made the user's when it is a number typed with the other
// one (the number grammar takes either, and one at most); otherwise `text` itself.
std::string_view InOwnFormat(std::string_view text, DecimalPoints points, std::string& scratch) {
    if (points.other == '\0') return text;
    const std::size_t at = text.find(points.other);
    // The number grammar takes a lone "," as nought; a spreadsheet would not.
    const bool digit = text.find_first_of("0123456789") != std::string_view::npos;
    if (at == std::string_view::npos || !digit || !ParseCommaNumber(text)) return text;
    scratch.assign(text);
    scratch[at] = points.own;
    return scratch;
}

void WriteCsv(CsvWriter& w, const std::vector<CsvColumn>& columns,
              const std::vector<RecordRow>& rows, char separator, DecimalPoints points) {
    w.Put("\xEF\xBB\xBF");
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) w.Put(separator);
        w.Utf8Field(columns[c].caption);
    }
    w.Put("\r\n");
    // Where each list column's text lies in a row, worked out once rather than per row.
    enum Source : int { kNumber = -2, kCall = -1 };
    std::vector<int> sources;
    std::vector<bool> decimal;
    for (const CsvColumn& column : columns) {
        const int list = column.listColumn;
        const auto field = FieldAtColumn(list);
        sources.push_back(list == 0 ? kNumber : field ? static_cast<int>(*field) : kCall);
        decimal.push_back(field && InfoOf(*field).kind == FieldKind::Decimal);
    }
    std::string scratch;
    for (const RecordRow& row : rows) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) w.Put(separator);
            const int source = sources[c];
            const std::string_view text = source == kNumber ? row.Number()
                                          : source == kCall ? columns[c].text(row)
                                                            : row.Get(static_cast<Field>(source));
            w.Cp1250Field(decimal[c] ? InOwnFormat(text, points, scratch) : text);
        }
        w.Put("\r\n");
    }
}

// About what the diary file itself takes, so that the buffer grows once or twice at most.
std::size_t Expected(const std::vector<CsvColumn>& columns, const std::vector<RecordRow>& rows) {
    return 64 + rows.size() * 10 * (columns.size() + 1);
}

}  // namespace

std::vector<CsvColumn> ListCsvColumns() {
    std::vector<CsvColumn> columns;
    for (int i = 0; i < kColumnCount; ++i) {
        columns.push_back({std::string(ColumnAt(i)->csv),
                           [i](const RecordRow& row) { return row.Column(i); }, i});
    }
    return columns;
}

char CsvSeparator(const RegionalSettings& regional) {
    return regional.decimalSeparator == "," ? ';' : ',';
}

std::string FormatCsv(const std::vector<CsvColumn>& columns, const std::vector<RecordRow>& rows,
                      const RegionalSettings& regional) {
    const char separator = CsvSeparator(regional);
    CsvWriter w(separator, Expected(columns, rows));
    WriteCsv(w, columns, rows, separator, PointsOf(regional));
    return std::string(w.Text());
}

void ExportCsv(const std::string& path, const std::vector<CsvColumn>& columns,
               const std::vector<RecordRow>& rows, const RegionalSettings& regional) {
    const char separator = CsvSeparator(regional);
    CsvWriter w(separator, Expected(columns, rows));
    WriteCsv(w, columns, rows, separator, PointsOf(regional));
    AtomicWriteFile(path, w.Text());
}

}  // namespace diary
