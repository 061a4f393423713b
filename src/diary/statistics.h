#pragma once
// The twelve figures of the statistics window, computed from the rows in list order.

#include <array>
#include <string>
#include <string_view>

namespace diary {

class RecordTable;
struct RegionalSettings;

// The value of `text` by the number grammar (no comma conversion), or `fallback`.
double StrToIntS(std::string_view text, double fallback);

inline constexpr std::array<std::string_view, 12> kStatisticsCaptions = {
    "Počet cest",  // these literals are UTF-8; the app shows them as they are
    "Nejkratší cesta",
    "Nejdelší cesta",
    "Nejmíň ujeto za cestu",
    "Nejvíc ujeto za cestu",
    "Celkem ujeto",
    "Nejmenší průměrná ryhlost",
    "Největší průměrná rychlost",
    "Průměr průměrných rychlostí",
    "Nejmenší maximální rychlost",
    "Největší maximální rychlost",
    "Součet časů",
};

// Column 1 of the statistics grid, rows 0..11, as code page 1250 texts. With no readable
// average speed the mean (row 8) is empty.
std::array<std::string, 12> ComputeStatistics(const RecordTable& table,
                                              const RegionalSettings& regional);

// The total ride time text (sum of ParseRideTime(text, 0) over the rows).
std::string getCas(const RecordTable& table);

}  // namespace diary
