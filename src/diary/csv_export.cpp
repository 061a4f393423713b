#include "diary/csv_export.h"

#include <cstdint>

#include "diary/atomic_file.h"
#include "diary/cp1250.h"
#include "diary/regional.h"

namespace diary {

namespace {

// What a byte asks of the writer: nothing, quotes around its field, or conversion to UTF-8.
enum Class : std::uint8_t { kPlain, kQuote, kHigh };

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

class CsvWriter {
public:
    explicit CsvWriter(char separator) : utf8_(Utf8Table()) {
        for (int b = 0x80; b < 256; ++b) classes_[static_cast<std::size_t>(b)] = kHigh;
        for (const char c : {separator, '"', '\r', '\n'}) {
            classes_[static_cast<unsigned char>(c)] = kQuote;
        }
    }

    // A field already in UTF-8 (a caption).
    void Utf8Field(std::string_view text) {
        bool quote = false;
        for (const char c : text)
            quote = quote || classes_[static_cast<unsigned char>(c)] == kQuote;
        if (!quote) {
            out_ += text;
            return;
        }
        out_ += '"';
        for (const char c : text) {
            if (c == '"') out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }

    // A field of code page 1250 bytes.
    void Cp1250Field(std::string_view text) {
        std::uint8_t seen = kPlain;
        bool quote = false;
        for (const char c : text) {
            const std::uint8_t k = classes_[static_cast<unsigned char>(c)];
            seen |= k;
            quote = quote || k == kQuote;
        }
        if (seen == kPlain) {
            out_ += text;
            return;
        }
        if (quote) out_ += '"';
        for (const char c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                if (c == '"') out_ += '"';
                out_ += c;
            } else {
                out_.append(utf8_[b].bytes, utf8_[b].size);
            }
        }
        if (quote) out_ += '"';
    }

    void Separator(char c) { out_ += c; }
    void EndLine() { out_ += "\r\n"; }
    std::string& out() { return out_; }

private:
    const std::array<Utf8, 256>& utf8_;
    std::array<std::uint8_t, 256> classes_{};
    std::string out_;
};

}  // namespace

std::vector<CsvColumn> ListCsvColumns(const std::array<std::string, kListColumnCount>& captions) {
    std::vector<CsvColumn> columns;
    for (int i = 0; i < kListColumnCount; ++i) {
        columns.push_back({captions[static_cast<std::size_t>(i)],
                           [i](const RecordRow& row) { return row.Column(i); }});
    }
    return columns;
}

char CsvSeparator(const RegionalSettings& regional) {
    return regional.decimalSeparator == "," ? ';' : ',';
}

std::string FormatCsv(const std::vector<CsvColumn>& columns, const std::vector<RecordRow>& rows,
                      char separator) {
    CsvWriter w(separator);
    // About what the diary file itself takes, so that the text grows once or twice at most.
    w.out().reserve(64 + rows.size() * 16 * (columns.size() + 1));
    w.out() += "\xEF\xBB\xBF";
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) w.Separator(separator);
        w.Utf8Field(columns[c].caption);
    }
    w.EndLine();
    for (const RecordRow& row : rows) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) w.Separator(separator);
            w.Cp1250Field(columns[c].text(row));
        }
        w.EndLine();
    }
    return std::move(w.out());
}

void ExportCsv(const std::string& path, const std::vector<CsvColumn>& columns,
               const std::vector<RecordRow>& rows, const RegionalSettings& regional) {
    AtomicWriteFile(path, FormatCsv(columns, rows, CsvSeparator(regional)));
}

}  // namespace diary
