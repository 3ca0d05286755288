// Prints a time, voltage or frequency with a unit prefix.
#pragma once

#include <string>
#include <string_view>

namespace qs40 {

// What a value measures, and the unit it is given in.
enum class UnitKind : int {
    Time = 0,      // nanoseconds
    Voltage = 1,   // microvolts
    Frequency = 2, // hertz
};

// Decimals are capped here; beyond 15 significant digits they would only print zeros.
inline constexpr int kMaxFormatDecimals = 40;

// value scaled to the unit prefix chosen by its magnitude and kind, in fixed notation, then " "
// and the unit: fmt(1000, UnitKind::Time, -3) is "1.00 uS". digits >= 0 gives that many
// decimals; digits < 0 asks for -digits significant digits, counting the integer digits of the
// magnitude's range. The value is held to 15 significant digits and rounded half away from zero.
// decimalSeparator is the locale's (the caller supplies it; the C locale is never consulted).
// A value that prints as zero has no minus sign. NaN prints as "NaN", infinities as "INF" and
// "-INF", without a unit. A kind outside the enumeration prints the number without scaling or
// unit.
std::string fmt(double value, UnitKind kind, int digits, std::string_view decimalSeparator = ".");

// value in fixed notation with the given decimals (0..kMaxFormatDecimals), 15 significant digits,
// rounded half away from zero, with the same sign, NaN and infinity rules as fmt.
std::string formatFixed(double value, int decimals, std::string_view decimalSeparator = ".");

} // namespace qs40
