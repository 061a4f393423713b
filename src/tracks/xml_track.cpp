#include "tracks/xml_track.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <pugixml.hpp>

#include "diary/regional.h"

namespace tracks {

namespace {

enum class Kind { Any, Gpx, Tcx };

// Elements are matched by local name: a file may bind the GPX or TCX namespace to a prefix,
// and Garmin's extensions always come prefixed.
bool Is(const pugi::xml_node& node, const char* local) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return std::strcmp(colon == nullptr ? name : colon + 1, local) == 0;
}

pugi::xml_node Child(const pugi::xml_node& parent, const char* local) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && Is(c, local)) return c;
    }
    return {};
}

std::string_view Trimmed(const char* text) {
    std::string_view s(text);
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Blanks, line breaks and other control characters folded into single spaces.
std::string FoldedName(const char* text) {
    std::string out;
    bool blank = false;
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == 0x7F) {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += *p;
    }
    return out;
}

// At most 40 bytes of a bad value for the message, cut between characters.
std::string Quoted(std::string_view text) {
    if (text.size() > 40) {
        std::size_t cut = 40;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        return "„" + std::string(text.substr(0, cut)) + "…“";
    }
    return "„" + std::string(text) + "“";
}

std::optional<double> ParseDecimal(std::string_view text) {
    // XML Schema allows a leading "+", from_chars does not.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

class Reader {
public:
    explicit Reader(const std::string& path) : path_(path) {}

    double Time(const pugi::xml_node& node) {
        const std::string_view text = Trimmed(node.child_value());
        const auto t = ParseIsoTime(text);
        if (!t) throw Damaged(path_, "neplatný čas " + Quoted(text) + " u bodu " + Point());
        return *t;
    }

    double Coordinate(const char* raw, double limit) {
        const std::string_view text = Trimmed(raw);
        const auto v = ParseDecimal(text);
        if (!v || *v < -limit || *v > limit) {
            throw Damaged(path_, "neplatná poloha " + Quoted(text) + " u bodu " + Point());
        }
        return *v;
    }

    // A distance or speed: a number, not negative.
    double Amount(const pugi::xml_node& node) {
        const std::string_view text = Trimmed(node.child_value());
        const auto v = ParseDecimal(text);
        if (!v || *v < 0) {
            throw Damaged(path_, "neplatné číslo " + Quoted(text) + " u bodu " + Point());
        }
        return *v;
    }

    void Add(const TrackPoint& point) { track_.points.push_back(point); }
    std::string Point() const {
        return Decimal(static_cast<std::int64_t>(track_.points.size()) + 1);
    }
    Track& track() { return track_; }

    Track Finish() {
        if (std::none_of(track_.points.begin(), track_.points.end(),
                         [](const TrackPoint& p) { return p.Locates(); })) {
            throw NoPoints(path_);
        }
        return std::move(track_);
    }

private:
    const std::string& path_;
    Track track_;
};

// Garmin's TrackPointExtension (v2) keeps a speed among the point's extensions.
double ExtensionSpeed(Reader& reader, const pugi::xml_node& extensions) {
    for (pugi::xml_node ext = extensions.first_child(); ext; ext = ext.next_sibling()) {
        for (pugi::xml_node c = ext.first_child(); c; c = c.next_sibling()) {
            if (c.type() == pugi::node_element && Is(c, "speed")) return reader.Amount(c);
        }
    }
    return kNoValue;
}

// The number of track points, so that a long track's points are placed once.
std::size_t CountGpxPoints(const pugi::xml_node& root) {
    std::size_t count = 0;
    for (pugi::xml_node trk = root.first_child(); trk; trk = trk.next_sibling()) {
        for (pugi::xml_node seg = trk.first_child(); seg; seg = seg.next_sibling()) {
            for (pugi::xml_node pt = seg.first_child(); pt; pt = pt.next_sibling()) ++count;
        }
    }
    return count;
}

Track WalkGpx(const pugi::xml_node& root, const std::string& path) {
    Reader reader(path);
    reader.track().points.reserve(CountGpxPoints(root));
    for (pugi::xml_node trk = root.first_child(); trk; trk = trk.next_sibling()) {
        if (trk.type() != pugi::node_element || !Is(trk, "trk")) continue;
        if (reader.track().name.empty())
            reader.track().name = FoldedName(Child(trk, "name").child_value());
        for (pugi::xml_node seg = trk.first_child(); seg; seg = seg.next_sibling()) {
            if (seg.type() != pugi::node_element || !Is(seg, "trkseg")) continue;
            bool first = true;
            for (pugi::xml_node pt = seg.first_child(); pt; pt = pt.next_sibling()) {
                if (pt.type() != pugi::node_element || !Is(pt, "trkpt")) continue;
                TrackPoint p;
                p.startsSegment = first;
                first = false;
                const pugi::xml_attribute lat = pt.attribute("lat");
                const pugi::xml_attribute lon = pt.attribute("lon");
                if (!lat || !lon) throw Damaged(path, "bod " + reader.Point() + " nemá polohu");
                p.lat = reader.Coordinate(lat.value(), 90);
                p.lon = reader.Coordinate(lon.value(), 180);
                for (pugi::xml_node c = pt.first_child(); c; c = c.next_sibling()) {
                    if (c.type() != pugi::node_element) continue;
                    if (Is(c, "time")) {
                        p.time = reader.Time(c);
                    } else if (Is(c, "speed")) {  // GPX 1.0
                        p.speed = reader.Amount(c);
                    } else if (Is(c, "extensions") && std::isnan(p.speed)) {
                        p.speed = ExtensionSpeed(reader, c);
                    }
                }
                reader.Add(p);
            }
        }
    }
    if (reader.track().name.empty()) {
        const char* name = Child(Child(root, "metadata"), "name").child_value();
        if (*name == '\0') name = Child(root, "name").child_value();
        reader.track().name = FoldedName(name);
    }
    return reader.Finish();
}

void ReadTcxPoint(Reader& reader, const pugi::xml_node& pt) {
    TrackPoint p;
    for (pugi::xml_node c = pt.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        if (Is(c, "Time")) {
            p.time = reader.Time(c);
        } else if (Is(c, "Position")) {
            const pugi::xml_node lat = Child(c, "LatitudeDegrees");
            const pugi::xml_node lon = Child(c, "LongitudeDegrees");
            if (lat && lon) {
                p.lat = reader.Coordinate(lat.child_value(), 90);
                p.lon = reader.Coordinate(lon.child_value(), 180);
            }
        } else if (Is(c, "DistanceMeters")) {
            p.distance = reader.Amount(c);
        } else if (Is(c, "Extensions")) {
            for (pugi::xml_node ext = c.first_child(); ext; ext = ext.next_sibling()) {
                if (ext.type() != pugi::node_element || !Is(ext, "TPX")) continue;
                const pugi::xml_node speed = Child(ext, "Speed");
                if (speed) p.speed = reader.Amount(speed);
            }
        }
    }
    reader.Add(p);
}

// Laps and their tracks follow one another without a break: a TCX device starts a new track
// after every stop of its timer, and the pause rule already sees the stop.
Track WalkTcx(const pugi::xml_node& root, const std::string& path) {
    Reader reader(path);
    for (pugi::xml_node acts = root.first_child(); acts; acts = acts.next_sibling()) {
        if (acts.type() != pugi::node_element || !Is(acts, "Activities")) continue;
        for (pugi::xml_node act = acts.first_child(); act; act = act.next_sibling()) {
            if (act.type() != pugi::node_element || !Is(act, "Activity")) continue;
            if (reader.track().name.empty()) {
                reader.track().name = FoldedName(Child(act, "Notes").child_value());
            }
            for (pugi::xml_node lap = act.first_child(); lap; lap = lap.next_sibling()) {
                if (lap.type() != pugi::node_element || !Is(lap, "Lap")) continue;
                for (pugi::xml_node trk = lap.first_child(); trk; trk = trk.next_sibling()) {
                    if (trk.type() != pugi::node_element || !Is(trk, "Track")) continue;
                    for (pugi::xml_node pt = trk.first_child(); pt; pt = pt.next_sibling()) {
                        if (pt.type() == pugi::node_element && Is(pt, "Trackpoint")) {
                            ReadTcxPoint(reader, pt);
                        }
                    }
                }
            }
        }
    }
    return reader.Finish();
}

// The entities a document declares in its internal DTD subset: pugixml skips the DTD and would
// leave "&n;" in the text as it stands. Only literal values are taken; a file that declares
// an external or a parameter entity, uses one it does not declare or expands beyond
// kEntityGrowth bytes ("billion laughs") is refused, never read half-expanded.
constexpr std::size_t kEntityGrowth = std::size_t{1} << 20;
constexpr int kEntityDepth = 16;

bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) != 0 || c == '_' || c == ':' || c == '-' || c == '.';
}

class EntityExpander {
public:
    EntityExpander(std::string_view bytes, const std::string& path) : bytes_(bytes), path_(path) {}

    // The document with its DTD left out and every declared entity expanded; nullopt when it
    // declares none (then the bytes are read as they are).
    std::optional<std::string> Expand() {
        std::size_t pos = 0;
        if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
        // The prolog: blanks, the XML declaration, processing instructions and comments.
        for (;;) {
            while (pos < bytes_.size() && std::isspace(static_cast<unsigned char>(bytes_[pos]))) {
                ++pos;
            }
            if (bytes_.substr(pos, 2) == "<?") {
                pos = After(pos, "?>");
            } else if (bytes_.substr(pos, 4) == "<!--") {
                pos = After(pos, "-->");
            } else {
                break;
            }
            if (pos == std::string_view::npos) return std::nullopt;
        }
        if (bytes_.substr(pos, 9) != "<!DOCTYPE") return std::nullopt;
        const std::size_t doctype = pos;
        pos += 9;
        // The name and an external identifier, up to the internal subset or the end.
        while (pos < bytes_.size() && bytes_[pos] != '[' && bytes_[pos] != '>') {
            if (bytes_[pos] == '"' || bytes_[pos] == '\'') {
                pos = bytes_.find(bytes_[pos], pos + 1);
                if (pos == std::string_view::npos) return std::nullopt;
            }
            ++pos;
        }
        if (pos >= bytes_.size() || bytes_[pos] == '>') return std::nullopt;
        pos = ReadSubset(pos + 1);
        while (pos < bytes_.size() && bytes_[pos] != '>') ++pos;
        if (pos >= bytes_.size()) return std::nullopt;
        if (entities_.empty()) return std::nullopt;
        std::string out(bytes_.substr(0, doctype));
        ExpandBody(bytes_.substr(pos + 1), out);
        return out;
    }

private:
    std::size_t After(std::size_t pos, std::string_view end) const {
        const std::size_t found = bytes_.find(end, pos);
        return found == std::string_view::npos ? found : found + end.size();
    }

    [[noreturn]] void Refuse(const std::string& why) const { throw Damaged(path_, why); }

    std::string Name(std::size_t& pos) const {
        const std::size_t begin = pos;
        while (pos < bytes_.size() && IsNameChar(bytes_[pos])) ++pos;
        return std::string(bytes_.substr(begin, pos - begin));
    }

    void SkipBlanks(std::size_t& pos) const {
        while (pos < bytes_.size() && std::isspace(static_cast<unsigned char>(bytes_[pos]))) ++pos;
    }

    // The declarations up to "]"; the position after it.
    std::size_t ReadSubset(std::size_t pos) {
        for (;;) {
            SkipBlanks(pos);
            if (pos >= bytes_.size()) return pos;
            if (bytes_[pos] == ']') return pos + 1;
            if (bytes_[pos] == '%') Refuse("DTD používá parametrické entity");
            if (bytes_.substr(pos, 4) == "<!--") {
                pos = After(pos, "-->");
            } else if (bytes_.substr(pos, 2) == "<?") {
                pos = After(pos, "?>");
            } else if (bytes_.substr(pos, 8) == "<!ENTITY") {
                pos = ReadEntity(pos + 8);
            } else if (bytes_[pos] == '<') {
                // ELEMENT, ATTLIST, NOTATION: nothing a track needs.
                while (++pos < bytes_.size() && bytes_[pos] != '>') {
                    if (bytes_[pos] == '"' || bytes_[pos] == '\'') {
                        pos = bytes_.find(bytes_[pos], pos + 1);
                        if (pos == std::string_view::npos) return bytes_.size();
                    }
                }
                if (pos < bytes_.size()) ++pos;
            } else {
                ++pos;
            }
            if (pos == std::string_view::npos) return bytes_.size();
        }
    }

    std::size_t ReadEntity(std::size_t pos) {
        SkipBlanks(pos);
        if (pos < bytes_.size() && bytes_[pos] == '%') Refuse("DTD používá parametrické entity");
        const std::string name = Name(pos);
        SkipBlanks(pos);
        if (pos >= bytes_.size()) return pos;
        const char quote = bytes_[pos];
        if (quote != '"' && quote != '\'') {
            Refuse("odkazuje na vnější entitu " + Quoted("&" + name + ";"));
        }
        const std::size_t end = bytes_.find(quote, pos + 1);
        if (end == std::string_view::npos) return bytes_.size();
        // The first of two declarations of a name counts, as XML says.
        entities_.emplace(name, bytes_.substr(pos + 1, end - pos - 1));
        pos = end + 1;
        while (pos < bytes_.size() && bytes_[pos] != '>') ++pos;
        return pos < bytes_.size() ? pos + 1 : pos;
    }

    void Append(std::string& out, std::string_view text) {
        if (out.size() + text.size() > bytes_.size() + kEntityGrowth) {
            Refuse("entity z DTD se rozvíjejí do příliš dlouhého textu");
        }
        out.append(text);
    }

    // `text` into `out`, references to declared entities replaced by their values; comments
    // and CDATA sections stay as they are.
    void ExpandBody(std::string_view text, std::string& out, int depth = 0) {
        if (depth > kEntityDepth) Refuse("entity z DTD se rozvíjejí do příliš dlouhého textu");
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t next = text.find_first_of("&<", pos);
            if (next == std::string_view::npos) {
                Append(out, text.substr(pos));
                return;
            }
            Append(out, text.substr(pos, next - pos));
            pos = next;
            if (text[pos] == '<') {
                std::string_view close;
                if (text.substr(pos, 4) == "<!--") close = "-->";
                if (text.substr(pos, 9) == "<![CDATA[") close = "]]>";
                const std::size_t end =
                    close.empty() ? pos + 1 : std::min(text.find(close, pos), text.size());
                const std::size_t stop =
                    close.empty() ? end : std::min(end + close.size(), text.size());
                Append(out, text.substr(pos, stop - pos));
                pos = stop;
                continue;
            }
            const std::size_t semi = text.find(';', pos);
            std::size_t nameEnd = pos + 1;
            while (nameEnd < text.size() && IsNameChar(text[nameEnd])) ++nameEnd;
            const std::string name(text.substr(pos + 1, nameEnd - pos - 1));
            const bool predefined =
                name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
            if (semi != nameEnd || name.empty() || predefined) {
                Append(out, "&");
                ++pos;
                continue;
            }
            const auto found = entities_.find(name);
            if (found == entities_.end()) Refuse("neznámá entita " + Quoted("&" + name + ";"));
            ExpandBody(found->second, out, depth + 1);
            pos = semi + 1;
        }
    }

    std::string_view bytes_;
    const std::string& path_;
    std::map<std::string, std::string_view> entities_;
};

Track ReadXml(std::string_view bytes, const std::string& path, Kind kind) {
    const std::optional<std::string> expanded = EntityExpander(bytes, path).Expand();
    if (expanded) bytes = *expanded;
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(bytes.data(), bytes.size());
    const pugi::xml_node root = doc.document_element();
    const bool gpx = root && Is(root, "gpx") && kind != Kind::Tcx;
    const bool tcx = root && Is(root, "TrainingCenterDatabase") && kind != Kind::Gpx;
    if (!gpx && !tcx) throw NotATrack(path);
    if (!result) throw DamagedAt(path, static_cast<std::uint64_t>(result.offset));
    return gpx ? WalkGpx(root, path) : WalkTcx(root, path);
}

bool ReadDigits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    if (pos + count > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool Expect(std::string_view text, std::size_t& pos, char a, char b = '\0') {
    if (pos >= text.size() || (text[pos] != a && (b == '\0' || text[pos] != b))) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<double> ParseIsoTime(std::string_view text) {
    std::size_t pos = 0;
    diary::Date date;
    int hour = 0, minute = 0, second = 0;
    if (!ReadDigits(text, pos, 4, date.year) || !Expect(text, pos, '-') ||
        !ReadDigits(text, pos, 2, date.month) || !Expect(text, pos, '-') ||
        !ReadDigits(text, pos, 2, date.day) || !Expect(text, pos, 'T', 't') ||
        !ReadDigits(text, pos, 2, hour) || !Expect(text, pos, ':') ||
        !ReadDigits(text, pos, 2, minute) || !Expect(text, pos, ':') ||
        !ReadDigits(text, pos, 2, second)) {
        return std::nullopt;
    }
    if (!diary::IsValidDate(date) || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    double fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        double scale = 0.1;
        const std::size_t begin = ++pos;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
            fraction += (text[pos] - '0') * scale;
            scale /= 10;
        }
        if (pos == begin) return std::nullopt;
    }
    int offset = 0;  // minutes east of UTC
    if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos++] == '-' ? -1 : 1;
        int oh = 0, om = 0;
        if (!ReadDigits(text, pos, 2, oh)) return std::nullopt;
        if (pos < text.size() && text[pos] == ':') ++pos;
        if (!ReadDigits(text, pos, 2, om) || oh > 23 || om > 59) return std::nullopt;
        offset = sign * (oh * 60 + om);
    }
    if (pos != text.size()) return std::nullopt;
    // DayNumber counts from 30.12.1899; 25569 days later is 1.1.1970.
    const double days = diary::DayNumber(date) - 25569;
    return days * 86400 + hour * 3600 + minute * 60 + second - offset * 60 + fraction;
}

Track ReadGpx(std::string_view bytes, const std::string& path) {
    return ReadXml(bytes, path, Kind::Gpx);
}

Track ReadTcx(std::string_view bytes, const std::string& path) {
    return ReadXml(bytes, path, Kind::Tcx);
}

Track ReadXmlTrack(std::string_view bytes, const std::string& path) {
    return ReadXml(bytes, path, Kind::Any);
}

}  // namespace tracks
