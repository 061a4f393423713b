#pragma once
// The texts of the number fields and of the ride time, and the conversions every window shares.
// Nothing here goes through the C locale.

#include <optional>
#include <string>
#include <string_view>

namespace diary {

std::string CommaToDot(std::string_view text);
std::string DotToComma(std::string_view text);

// The number-text grammar: leading blanks (spaces only), an optional sign, digits with an
// optional "." and more digits (either side may be empty, "." alone is 0), an optional
// exponent ("E"/"e", optional sign, at least one digit), nothing after. No comma conversion.
// A value beyond the range of a double reads as no number.
std::optional<double> ParseNumber(std::string_view text);
// ParseNumber(CommaToDot(text)) without the copy: what every number field is read by.
std::optional<double> ParseCommaNumber(std::string_view text);
// The same value, or NaN where ParseCommaNumber has none: for loops over many rows, as a double
// comes back from a call in a register where an optional<double> goes through memory.
double CommaNumberOrNaN(std::string_view text);

// "<H> h <M> min": H = hours truncated toward zero, M = the rest times 60 rounded half to
// even. No carry: 1.9999 gives "1 h 60 min". A value that is not finite has no hours to show
// and gives "?", the import's unknown ride time.
std::string FormatRideTime(double hours);

// Hours from a ride-time text: the part before the first 'h' less its last character, the part
// between that 'h' and the next 'm' less its last character, both read as numbers (no comma
// conversion); `fallback` when either does not read.
double ParseRideTime(std::string_view text, double fallback);
// The same text read as minutes (hours * 60 + minutes), NaN where ParseRideTime falls back.
// Whole minutes stay whole, where hours + minutes / 60 does not: six rides of "0 h 10 min" are
// exactly 60 minutes but not exactly 1 hour.
double RideTimeMinutesOrNaN(std::string_view text);

// Fixed notation with one decimal, rounded half away from zero on the double's exact decimal
// expansion (12.25 -> "12.3", 12.35 -> "12.3", 0.04 -> "0.0"), "-" for negatives, decimal
// point (callers pass the result through DotToComma). A value that rounds to zero has no sign.
std::string FormatOneDecimal(double value);

// 15 significant digits, trailing zeros dropped; fixed notation for decimal exponents -3..15,
// else "d.dddE<exp>"; `decimalSeparator` between integer and fraction ("," under Czech
// settings). 35 -> "35", 0.00001 -> "1E-5", 1e15 -> "1E15", 31/3 -> "10,3333333333333".
std::string FormatGeneralReal(double value, std::string_view decimalSeparator);

}  // namespace diary
