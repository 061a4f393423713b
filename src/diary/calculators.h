#pragma once
// The four calculators of the entry dialog as pure functions of the field texts.

#include <string>
#include <string_view>

namespace diary {

struct CalcResult {
    enum class Kind {
        Value,    // `text` goes into the target field (decimal comma already applied)
        Message,  // show `text` in an "Error" box; nothing changes
        Nothing,  // stop silently; nothing changes
    };
    Kind kind = Kind::Nothing;
    std::string text;  // a Value is ASCII; a Message is UTF-8 text for people
};

// Messages exactly as shown (UTF-8); a two-line message separates its lines with "\r".
CalcResult CalcDistance(std::string_view departure, std::string_view arrival);  // Ujeto
CalcResult CalcArrival(std::string_view distance, std::string_view departure);  // Pri
CalcResult CalcRideTime(std::string_view distance, std::string_view avgSpeed,
                        std::string_view maxSpeed);                             // Cj
CalcResult CalcAvgSpeed(std::string_view distance, std::string_view rideTime);  // Pr

inline constexpr std::string_view kDivisionByZero = "Floating point division by zero";
inline constexpr std::string_view kInvalidOperation = "Invalid floating point operation";
// A result beyond the range of a double (two readings near 1E308 added, say).
inline constexpr std::string_view kOverflow = "Floating point overflow";

}  // namespace diary
