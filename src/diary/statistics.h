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

// The twelve figures as code page 1250 texts, numbers in the user's decimal format.
struct Statistics {
    std::string rides;
    std::string shortestTime;
    std::string longestTime;
    std::string leastKm;
    std::string mostKm;
    std::string lastArrivalKm;  // the last row's arrival reading, as it stands
    std::string leastAvgSpeed;
    std::string mostAvgSpeed;
    std::string meanAvgSpeed;  // empty when no row has a readable average speed
    std::string leastMaxSpeed;
    std::string mostMaxSpeed;
    std::string totalTime;

    // The figures in the order of kStatisticsCaptions, as the window lists them.
    std::array<std::string, 12> Rows() const;
};

Statistics ComputeStatistics(const RecordTable& table, const RegionalSettings& regional);

}  // namespace diary
