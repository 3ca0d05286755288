#include "display/unit_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace qs40 {
namespace {

// How one range of magnitudes prints: integer digits, power of ten applied, unit.
struct UnitScale {
    int intDigits;
    int exponent; // the value is multiplied by 10^exponent
    const char* unit;
};

struct UnitRow {
    double below; // the row applies to magnitudes below this (and at or above the previous row's)
    UnitScale time;
    UnitScale voltage;
    UnitScale frequency;
};

constexpr double kInf = HUGE_VAL;

// Times below 1 ns stay in nS and voltages below 1 mV in mV: there is no pS, nV or uV.
constexpr UnitRow kUnitRows[] = {
    {0.01, {1, 0, "nS"}, {1, -3, "mV"}, {1, 3, "mHz"}},
    {0.1, {1, 0, "nS"}, {1, -3, "mV"}, {2, 3, "mHz"}},
    {1, {1, 0, "nS"}, {1, -3, "mV"}, {3, 3, "mHz"}},
    {10, {1, 0, "nS"}, {1, -3, "mV"}, {1, 0, "Hz"}},
    {100, {2, 0, "nS"}, {1, -3, "mV"}, {2, 0, "Hz"}},
    {1e3, {3, 0, "nS"}, {1, -3, "mV"}, {3, 0, "Hz"}},
    {1e4, {1, -3, "uS"}, {1, -3, "mV"}, {1, -3, "KHz"}},
    {1e5, {2, -3, "uS"}, {2, -3, "mV"}, {2, -3, "KHz"}},
    {1e6, {3, -3, "uS"}, {3, -3, "mV"}, {3, -3, "KHz"}},
    {1e7, {1, -6, "mS"}, {1, -6, "V"}, {1, -6, "MHz"}},
    {1e8, {2, -6, "mS"}, {2, -6, "V"}, {2, -6, "MHz"}},
    {1e9, {3, -6, "mS"}, {3, -6, "V"}, {3, -6, "MHz"}},
    {1e10, {1, -9, "S"}, {1, -9, "KV"}, {1, -9, "GHz"}},
    {1e11, {2, -9, "S"}, {2, -9, "KV"}, {2, -9, "GHz"}},
    {kInf, {3, -9, "S"}, {3, -9, "KV"}, {3, -9, "GHz"}},
};

UnitScale scaleFor(double magnitude, UnitKind kind) {
    const UnitRow* row = std::find_if(std::begin(kUnitRows), std::end(kUnitRows) - 1,
                                      [&](const UnitRow& r) { return magnitude < r.below; });
    switch (kind) {
    case UnitKind::Time:
        return row->time;
    case UnitKind::Voltage:
        return row->voltage;
    case UnitKind::Frequency:
        return row->frequency;
    }
    return {1, 0, ""};
}

// Powers of ten are exact doubles, so dividing by one rounds correctly where multiplying by its
// inverse would not.
double applyExponent(double v, int exponent) {
    switch (exponent) {
    case 3:
        return v * 1e3;
    case -3:
        return v / 1e3;
    case -6:
        return v / 1e6;
    case -9:
        return v / 1e9;
    default:
        return v;
    }
}

constexpr int kPrecision = 15; // significant digits a value is held to

// The decimal digits of a finite, non-negative x: digits[0] has the weight 10^exp10.
struct Decimal {
    char digits[kPrecision + 1]; // one spare for a carry out of the first digit
    int count = 0;
    int exp10 = 0;
};

Decimal toDecimal(double x) {
    Decimal d;
    if (x == 0) {
        d.digits[0] = '0';
        d.count = 1;
        return d;
    }
    // "d.dddddddddddddde+XX": the value correctly rounded to 15 significant digits.
    char buf[32];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, kPrecision - 1);
    const char* p = buf;
    d.digits[d.count++] = *p++;
    ++p; // the point
    while (*p != 'e')
        d.digits[d.count++] = *p++;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, d.exp10);
    return d;
}

// Keeps the digits down to the weight 10^-decimals, rounding half away from zero.
void roundToDecimals(Decimal& d, int decimals) {
    const int keep = d.exp10 + 1 + decimals; // digits left of the rounding position
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.digits[0] = '0';
        d.count = 1;
        d.exp10 = 0;
        return;
    }
    bool carry = d.digits[keep] >= '5';
    d.count = keep;
    for (int i = keep - 1; carry && i >= 0; --i) {
        carry = d.digits[i] == '9';
        d.digits[i] = carry ? '0' : static_cast<char>(d.digits[i] + 1);
    }
    if (carry) {
        std::copy_backward(d.digits, d.digits + d.count, d.digits + d.count + 1);
        d.digits[0] = '1';
        ++d.count;
        ++d.exp10;
    }
    if (d.count == 0) { // everything rounded away
        d.digits[0] = '0';
        d.count = 1;
        d.exp10 = 0;
    }
}

char digitAt(const Decimal& d, int weight) {
    const int i = d.exp10 - weight;
    return i >= 0 && i < d.count ? d.digits[i] : '0';
}

// x >= 0 in fixed notation with the given decimals.
std::string fixedText(double x, int decimals, std::string_view decimalSeparator) {
    Decimal d = toDecimal(x);
    roundToDecimals(d, decimals);
    std::string out;
    for (int weight = std::max(d.exp10, 0); weight >= 0; --weight)
        out += digitAt(d, weight);
    if (decimals > 0) {
        out += decimalSeparator;
        for (int weight = -1; weight >= -decimals; --weight)
            out += digitAt(d, weight);
    }
    return out;
}

bool isZeroText(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

} // namespace

std::string formatFixed(double value, int decimals, std::string_view decimalSeparator) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    decimals = std::clamp(decimals, 0, kMaxFormatDecimals);
    std::string number = fixedText(std::fabs(value), decimals, decimalSeparator);
    if (value < 0 && !isZeroText(number))
        number.insert(0, 1, '-');
    return number;
}

std::string fmt(double value, UnitKind kind, int digits, std::string_view decimalSeparator) {
    if (!std::isfinite(value))
        return formatFixed(value, 0, decimalSeparator);

    const double magnitude = std::fabs(value);
    const UnitScale scale = scaleFor(magnitude, kind);
    // In 64 bits, so that the most negative int has a magnitude.
    const std::int64_t wanted =
        digits >= 0 ? std::int64_t{digits}
                    : std::max<std::int64_t>(-std::int64_t{digits} - scale.intDigits, 0);
    const int decimals = static_cast<int>(std::min<std::int64_t>(wanted, kMaxFormatDecimals));

    const double scaled = applyExponent(magnitude, scale.exponent);
    std::string text = formatFixed(value < 0 ? -scaled : scaled, decimals, decimalSeparator);
    if (*scale.unit != '\0') {
        text += ' ';
        text += scale.unit;
    }
    return text;
}

} // namespace qs40
