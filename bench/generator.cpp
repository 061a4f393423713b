#include "generator.h"

#include <array>
#include <charconv>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace bench {
namespace {

// Place names as code page 1250 bytes.
constexpr std::array<std::string_view, 16> kPlaces = {
    "Doma",
    "Lhota",
    "Ves",
    "Zl\xEDn",       // Zlín
    "\xC8\xE1slav",  // Čáslav
    "\xC8"
    "esk\xE9 Bud\xECjovice",  // České Budějovice
    "Brno",
    "P\xF8\xED"
    "bram",           // Příbram
    "Kutn\xE1 Hora",  // Kutná Hora
    "\x8Atramberk",   // Štramberk
    "\x8E"
    "elezn\xE1 Ruda",  // Železná Ruda
    "Tel\xE8",         // Telč
    "Jihlava",
    "Kol\xEDn",           // Kolín
    "Mlad\xE1 Boleslav",  // Mladá Boleslav
    "",
};

constexpr std::array<std::string_view, 8> kNotes = {
    "",
    "",
    "",
    "v\xEDtr",        // vítr
    "d\xE9\x9A\x9D",  // déšť
    "p\xED"
    "chl\xE1 du\x9A"
    "e",  // píchlá duše
    "hezky, slunce a \xE8isto",
    "s Janou p\xF8"
    "es kopec",
};

constexpr std::array<std::string_view, 4> kBikes = {
    "Favorit", "Author",
    "Horsk\xE9 kolo",  // Horské kolo
    "",                // now and then a ride on none
};

class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint32_t state_;
};

void AppendInt(std::string& out, long long v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// Tenths as "123,4" or "123.4" (or a whole number now and then).
void AppendTenths(std::string& out, long long tenths, Rng& rng) {
    AppendInt(out, tenths / 10);
    const auto style = rng.Below(10);
    if (style < 2) return;
    out += style < 8 ? ',' : '.';
    AppendInt(out, tenths % 10);
}

}  // namespace

std::string MakeDiary(std::size_t rides, std::uint32_t seed, bool withBikes) {
    Rng rng(seed);
    // Bikes draw from their own sequence, so the rides are the same with bikes or without.
    Rng bikeRng(seed + 1);
    std::string out;
    out.reserve(rides * 100 + 16);
    out += "[Data]\r\n";
    long long odometer = 1200 + rng.Below(5000);
    int day = 1, month = 3, year = 1996;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (std::size_t i = 1; i <= rides; ++i) {
        // A ride every day or two, over the years.
        day += 1 + static_cast<int>(rng.Below(2));
        while (day > kDays[month - 1]) {
            day -= kDays[month - 1];
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        const long long distanceTenths = 50 + rng.Below(1500);
        const long long minutes = distanceTenths * 6 / (150 + rng.Below(150)) + 5;
        const long long avgTenths = distanceTenths * 60 / minutes;
        const long long maxTenths = avgTenths + 30 + rng.Below(300);

        AppendInt(out, static_cast<long long>(i));
        out += '=';
        // date
        if (rng.Below(500) == 0) {
            out +=
                "v\xE8"
                "era";  // "včera": not a date
        } else {
            AppendInt(out, day);
            out += '.';
            AppendInt(out, month);
            out += '.';
            AppendInt(out, year);
        }
        out += '\xA7';
        out += kPlaces[rng.Below(kPlaces.size() - 1)];
        out += '\xA7';
        out += kPlaces[rng.Below(kPlaces.size() - 1)];
        out += '\xA7';
        out += kPlaces[rng.Below(kPlaces.size())];  // via is often empty
        out += '\xA7';
        AppendInt(out, odometer);
        out += '\xA7';
        odometer += distanceTenths / 10;
        AppendInt(out, odometer);
        out += '\xA7';
        if (rng.Below(200) == 0) {
            out += "?";
        } else {
            AppendTenths(out, distanceTenths, rng);
        }
        out += '\xA7';
        if (rng.Below(100) != 0) AppendTenths(out, avgTenths, rng);
        out += '\xA7';
        if (rng.Below(50) != 0) AppendTenths(out, maxTenths, rng);
        out += '\xA7';
        AppendInt(out, minutes / 60);
        out += " h ";
        AppendInt(out, minutes % 60);
        out += " min";
        out += '\xA7';
        out += kNotes[rng.Below(kNotes.size())];
        out += '\xA7';
        if (withBikes) {
            const std::string_view bike = kBikes[bikeRng.Below(kBikes.size())];
            if (!bike.empty()) {
                out += bike;
                out += '\xA7';
            }
        }
        out += "\r\n";
    }
    return out;
}

void WriteDiary(const std::string& path, std::size_t rides, std::uint32_t seed, bool withBikes) {
    const std::string bytes = MakeDiary(rides, seed, withBikes);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
