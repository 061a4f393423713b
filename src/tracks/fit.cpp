#include "tracks/fit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace tracks {

namespace {

// The checksum eight bytes at a time ("slicing by eight"): table k gives a byte's effect after
// k more bytes have followed it, so the eight lookups are independent of each other.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 8>;
constexpr CrcTables MakeCrcTables() {
    CrcTables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        t[0][i] = static_cast<std::uint16_t>(crc);
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const unsigned prev = t[k - 1][i];
            t[k][i] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}
constexpr CrcTables kCrc = MakeCrcTables();

// Seconds from 1970-01-01 to the FIT epoch, 1989-12-31 00:00 UTC.
constexpr double kFitEpoch = 631065600;
constexpr double kSemicircle = 180.0 / 2147483648.0;
constexpr double kMaxUnsigned32 = 4294967295.0;

constexpr std::uint16_t kSessionMesg = 18;
constexpr std::uint16_t kRecordMesg = 20;
constexpr std::uint8_t kTimestampField = 253;

// Where the value of a field we need goes while its message is read; every other field is
// passed over by its size.
enum Slot : std::uint8_t {
    kTime,
    kLat,
    kLon,
    kDistance,
    kSpeed,
    kEnhancedSpeed,
    kStartTime,
    kTotalDistance,
    kTimerTime,
    kMaxSpeed,
    kEnhancedMaxSpeed,
    kSlotCount,
};

// The unit each slot's raw value is scaled by: seconds, degrees, metres, metres a second.
constexpr std::array<double, kSlotCount> kScale = {1, kSemicircle, kSemicircle, 0.01,  0.001, 0.001,
                                                   1, 0.01,        0.001,       0.001, 0.001};

struct Field {
    Slot slot;
    std::uint8_t size;
    std::uint16_t offset;   // from the first byte after the record header
    std::uint64_t invalid;  // the base type's "no value"
    std::uint64_t sign;     // the sign bit of a signed type, else 0
};

struct Definition {
    bool defined = false;
    bool bigEndian = false;
    std::uint16_t global = 0;
    std::uint32_t size = 0;  // bytes of a data message, developer fields included
    std::vector<Field> fields;
};

std::optional<Slot> SlotOf(std::uint16_t global, std::uint8_t number) {
    if (number == kTimestampField) return kTime;
    if (global == kRecordMesg) {
        switch (number) {
            case 0:
                return kLat;
            case 1:
                return kLon;
            case 5:
                return kDistance;
            case 6:
                return kSpeed;
            case 73:
                return kEnhancedSpeed;
            default:
                return std::nullopt;
        }
    }
    if (global == kSessionMesg) {
        switch (number) {
            case 2:
                return kStartTime;
            case 8:
                return kTimerTime;
            case 9:
                return kTotalDistance;
            case 15:
                return kMaxSpeed;
            case 125:
                return kEnhancedMaxSpeed;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

// Size of the integer base types; 0 for strings, floats and byte arrays, which we never need.
std::uint8_t IntegerSize(std::uint8_t type) {
    switch (type) {
        case 0:
        case 1:
        case 2:
        case 10:
            return 1;  // enum, sint8, uint8, uint8z
        case 3:
        case 4:
        case 11:
            return 2;  // sint16, uint16, uint16z
        case 5:
        case 6:
        case 12:
            return 4;  // sint32, uint32, uint32z
        case 14:
        case 15:
        case 16:
            return 8;  // sint64, uint64, uint64z
        default:
            return 0;
    }
}

std::uint64_t Raw(const unsigned char* p, std::uint8_t size, bool bigEndian) {
    switch (size) {
        case 1:
            return *p;
        case 2: {
            std::uint16_t v;
            std::memcpy(&v, p, 2);
            return bigEndian ? __builtin_bswap16(v) : v;
        }
        case 4: {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            return bigEndian ? __builtin_bswap32(v) : v;
        }
        default: {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            return bigEndian ? __builtin_bswap64(v) : v;
        }
    }
}

// A field's place and its type's "no value" and sign, worked out once per definition.
Field MakeField(Slot slot, std::uint8_t type, std::uint8_t size, std::uint32_t offset) {
    const unsigned bits = size * 8u;
    const std::uint64_t ones = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    Field f{slot, size, static_cast<std::uint16_t>(offset), ones, 0};
    switch (type) {
        case 1:
        case 3:
        case 5:
        case 14:  // signed: "no value" is the largest positive one
            f.invalid = ones >> 1;
            f.sign = std::uint64_t{1} << (bits - 1);
            break;
        case 10:
        case 11:
        case 12:
        case 16:  // the "z" types: "no value" is zero
            f.invalid = 0;
            break;
        default:
            break;
    }
    return f;
}

// The field's value, or NaN for its type's "no value".
double Value(const unsigned char* p, const Field& f, bool bigEndian) {
    const std::uint64_t raw = Raw(p, f.size, bigEndian);
    if (raw == f.invalid) return kNoValue;
    if (f.sign == 0) return static_cast<double>(raw);
    return static_cast<double>(static_cast<std::int64_t>((raw ^ f.sign) - f.sign));
}

std::uint32_t Little32(const unsigned char* p) {
    return static_cast<std::uint32_t>(Raw(p, 4, false));
}

class FitReader {
public:
    FitReader(std::string_view bytes, const std::string& path)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())),
          size_(bytes.size()),
          path_(path) {}

    Track Read() {
        std::size_t pos = 0;
        do {
            pos = ReadFile(pos);
        } while (pos < size_);
        const bool anyPoint = std::any_of(track_.points.begin(), track_.points.end(),
                                          [](const TrackPoint& p) { return p.Locates(); });
        if (!anyPoint && std::isnan(track_.totals.distance)) throw NoPoints(path_);
        return std::move(track_);
    }

private:
    // One FIT file of a chain from `pos`; returns where the next one would start.
    std::size_t ReadFile(std::size_t pos) {
        const bool first = pos == 0;
        const unsigned char* h = data_ + pos;
        const std::size_t left = size_ - pos;
        if (left < 12 || (h[0] != 12 && h[0] != 14) || left < h[0] ||
            std::memcmp(h + 8, ".FIT", 4) != 0) {
            if (first) throw NotATrack(path_);
            throw DamagedAt(path_, pos);
        }
        const std::size_t headerSize = h[0];
        if (headerSize == 14) {
            const auto stored = static_cast<std::uint16_t>(Raw(h + 12, 2, false));
            const std::string_view header(reinterpret_cast<const char*>(h), 12);
            if (stored != 0 && stored != FitCrc(header)) {
                throw Damaged(path_, "kontrolní součet záhlaví nesouhlasí");
            }
        }
        const std::uint64_t dataSize = Little32(h + 4);
        const std::uint64_t end = pos + headerSize + dataSize;
        if (end + 2 > size_) throw Damaged(path_, "končí dřív, než jeho záhlaví slibuje");
        const std::string_view covered(reinterpret_cast<const char*>(h),
                                       static_cast<std::size_t>(end - pos));
        if (FitCrc(covered) != Raw(data_ + end, 2, false)) {
            throw Damaged(path_, "kontrolní součet nesouhlasí");
        }
        for (Definition& d : definitions_) d = Definition{};
        ReadMessages(pos + headerSize, static_cast<std::size_t>(end));
        return static_cast<std::size_t>(end + 2);
    }

    void ReadMessages(std::size_t pos, std::size_t end) {
        while (pos < end) {
            const std::size_t at = pos;
            const unsigned char header = data_[pos++];
            if ((header & 0x80) != 0) {
                // Compressed time stamp: five bits of seconds on top of the last full stamp.
                if (!haveTimestamp_) throw DamagedAt(path_, at);
                const std::uint32_t offset = header & 0x1Fu;
                std::uint32_t stamp = (lastTimestamp_ & ~0x1Fu) + offset;
                if (offset < (lastTimestamp_ & 0x1Fu)) stamp += 0x20;
                lastTimestamp_ = stamp;
                pos = ReadData(at, pos, end, (header >> 5) & 0x03, stamp);
            } else if ((header & 0x40) != 0) {
                pos = ReadDefinition(at, pos, end, header & 0x0F, (header & 0x20) != 0);
            } else {
                pos = ReadData(at, pos, end, header & 0x0F, std::nullopt);
            }
        }
    }

    std::size_t ReadDefinition(std::size_t at, std::size_t pos, std::size_t end, unsigned local,
                               bool developer) {
        if (end - pos < 5) throw DamagedAt(path_, at);
        const unsigned char* p = data_ + pos;
        if (p[1] > 1) throw DamagedAt(path_, pos + 1);  // architecture: 0 little, 1 big endian
        Definition d;
        d.defined = true;
        d.bigEndian = p[1] == 1;
        d.global = static_cast<std::uint16_t>(Raw(p + 2, 2, d.bigEndian));
        const std::size_t count = p[4];
        pos += 5;
        if ((end - pos) / 3 < count) throw DamagedAt(path_, at);
        for (std::size_t i = 0; i < count; ++i, pos += 3) {
            const unsigned char* f = data_ + pos;
            const auto type = static_cast<std::uint8_t>(f[2] & 0x1F);
            const auto slot = SlotOf(d.global, f[0]);
            // A field whose size is not its type's is an array; none of ours is one.
            if (slot && f[1] != 0 && IntegerSize(type) == f[1]) {
                d.fields.push_back(MakeField(*slot, type, f[1], d.size));
            }
            d.size += f[1];
        }
        if (developer) {
            if (pos >= end) throw DamagedAt(path_, at);
            const std::size_t devCount = data_[pos++];
            if ((end - pos) / 3 < devCount) throw DamagedAt(path_, at);
            for (std::size_t i = 0; i < devCount; ++i, pos += 3) d.size += data_[pos + 1];
        }
        // Records fill most of an activity file: room for as many as the rest could hold.
        if (d.global == kRecordMesg && track_.points.empty() && d.size > 0) {
            track_.points.reserve((end - pos) / (d.size + 1));
        }
        definitions_[local] = std::move(d);
        return pos;
    }

    std::size_t ReadData(std::size_t at, std::size_t pos, std::size_t end, unsigned local,
                         std::optional<std::uint32_t> compressedStamp) {
        const Definition& d = definitions_[local];
        if (!d.defined || end - pos < d.size) throw DamagedAt(path_, at);
        const unsigned char* p = data_ + pos;
        std::array<double, kSlotCount> v;
        v.fill(kNoValue);
        if (compressedStamp) v[kTime] = *compressedStamp;
        for (const Field& f : d.fields) {
            const double value = Value(p + f.offset, f, d.bigEndian);
            // Only positions are signed in the profile; a file that declares a time or a count
            // with another type still gives no negative one, nor a time past 2106.
            const bool position = f.slot == kLat || f.slot == kLon;
            if (std::isnan(value) || (!position && (value < 0 || value > kMaxUnsigned32))) {
                continue;
            }
            v[f.slot] = value * kScale[f.slot];
        }
        if (!std::isnan(v[kTime])) {
            lastTimestamp_ = static_cast<std::uint32_t>(v[kTime]);
            haveTimestamp_ = true;
        }
        if (d.global == kRecordMesg) {
            TrackPoint point;
            point.time = v[kTime] + kFitEpoch;
            // Positions beyond the poles or the date line are not positions.
            if (!(std::fabs(v[kLat]) > 90 || std::fabs(v[kLon]) > 180)) {
                point.lat = v[kLat];
                point.lon = v[kLon];
            }
            point.distance = v[kDistance];
            point.speed = std::isnan(v[kEnhancedSpeed]) ? v[kSpeed] : v[kEnhancedSpeed];
            track_.points.push_back(point);
        } else if (d.global == kSessionMesg) {
            DeviceTotals session;
            session.startTime = v[kStartTime] + kFitEpoch;
            session.distance = v[kTotalDistance];
            session.timerTime = v[kTimerTime];
            session.maxSpeed =
                std::isnan(v[kEnhancedMaxSpeed]) ? v[kMaxSpeed] : v[kEnhancedMaxSpeed];
            AddSession(session);
        }
        return pos + d.size;
    }

    void AddSession(const DeviceTotals& s) {
        DeviceTotals& t = track_.totals;
        auto add = [](double& total, double v) {
            if (!std::isnan(v)) total = std::isnan(total) ? v : total + v;
        };
        add(t.distance, s.distance);
        add(t.timerTime, s.timerTime);
        if (!std::isnan(s.maxSpeed))
            t.maxSpeed = std::isnan(t.maxSpeed) ? s.maxSpeed : std::max(t.maxSpeed, s.maxSpeed);
        if (!std::isnan(s.startTime))
            t.startTime =
                std::isnan(t.startTime) ? s.startTime : std::min(t.startTime, s.startTime);
    }

    const unsigned char* data_;
    std::size_t size_;
    const std::string& path_;
    std::array<Definition, 16> definitions_{};
    std::uint32_t lastTimestamp_ = 0;
    bool haveTimestamp_ = false;
    Track track_;
};

}  // namespace

std::uint16_t FitCrc(std::string_view bytes, std::uint16_t crc) {
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    if constexpr (std::endian::native == std::endian::little) {
        for (; n >= 8; n -= 8, p += 8) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            v ^= crc;
            crc = static_cast<std::uint16_t>(kCrc[7][v & 0xFF] ^ kCrc[6][(v >> 8) & 0xFF] ^
                                             kCrc[5][(v >> 16) & 0xFF] ^ kCrc[4][(v >> 24) & 0xFF] ^
                                             kCrc[3][(v >> 32) & 0xFF] ^ kCrc[2][(v >> 40) & 0xFF] ^
                                             kCrc[1][(v >> 48) & 0xFF] ^ kCrc[0][v >> 56]);
        }
    }
    for (; n > 0; --n, ++p) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^
                                         kCrc[0][(crc ^ static_cast<unsigned char>(*p)) & 0xFF]);
    }
    return crc;
}

bool LooksLikeFit(std::string_view bytes) {
    return bytes.size() >= 12 && (bytes[0] == 12 || bytes[0] == 14) && bytes.substr(8, 4) == ".FIT";
}

Track ReadFit(std::string_view bytes, const std::string& path) {
    return FitReader(bytes, path).Read();
}

}  // namespace tracks
