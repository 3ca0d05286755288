#include "sim/scenario.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace qs40::sim {

namespace {

struct KindName {
    std::string_view name;
    SourceKind kind;
};

constexpr KindName kKinds[] = {
    {"off", SourceKind::Off},           {"dc", SourceKind::Dc},
    {"sine", SourceKind::Sine},         {"square", SourceKind::Square},
    {"triangle", SourceKind::Triangle}, {"rsaw", SourceKind::RisingSaw},
    {"fsaw", SourceKind::FallingSaw},   {"clock", SourceKind::Clock},
    {"noise", SourceKind::Noise},       {"gen", SourceKind::Generator},
};

// How many numbers each kind takes: at least, at most.
struct Arity {
    std::size_t min, max;
};

Arity arity(SourceKind k) {
    switch (k) {
    case SourceKind::Off:
    case SourceKind::Generator:
        return {0, 0};
    case SourceKind::Dc:
        return {1, 1};
    case SourceKind::Clock:
    case SourceKind::Noise:
        return {1, 3};
    default:
        return {1, 4};
    }
}

// A number with an optional k (x 1000) or M (x 1000000) suffix.
std::optional<double> parseNumber(std::string_view text) {
    double scale = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'M')) {
        scale = text.back() == 'k' ? 1e3 : 1e6;
        text.remove_suffix(1);
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v * scale;
}

std::optional<InputSource> fail(std::string* error, std::string message) {
    if (error)
        *error = std::move(message);
    return std::nullopt;
}

} // namespace

Scenario Scenario::demo() {
    Scenario s;
    s.inputs[A1] = InputSource::sine(1000, 1.8);
    s.inputs[A2] = InputSource::generator();
    s.inputs[D1] = InputSource::clock(10000);
    s.inputs[D2] = InputSource::clock(2500, 0.2);
    return s;
}

std::optional<InputSource> parseInputSource(std::string_view text, std::string* error) {
    std::vector<std::string_view> parts;
    for (std::string_view rest = text;;) {
        const std::size_t colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (k.name == parts[0])
            kind = &k;
    if (!kind)
        return fail(error, "unknown input source: " + std::string(parts[0]));
    const std::size_t count = parts.size() - 1;
    const Arity a = arity(kind->kind);
    if (count < a.min || count > a.max)
        return fail(error, "wrong number of values for " + std::string(kind->name) + ": " +
                               std::string(text));
    std::vector<double> n;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const auto v = parseNumber(parts[i]);
        if (!v)
            return fail(error, "not a number: " + std::string(parts[i]));
        n.push_back(*v);
    }
    const auto at = [&n](std::size_t i, double otherwise) {
        return i < n.size() ? n[i] : otherwise;
    };
    switch (kind->kind) {
    case SourceKind::Off:
        return InputSource::off();
    case SourceKind::Generator:
        return InputSource::generator();
    case SourceKind::Dc:
        return InputSource::dc(n[0]);
    case SourceKind::Clock:
        if (at(1, 0.5) < 0 || at(1, 0.5) > 1)
            return fail(error, "a clock's duty is 0 to 1: " + std::string(text));
        return InputSource::clock(n[0], at(1, 0.5), at(2, 0));
    case SourceKind::Noise:
        return InputSource::noise(n[0], at(1, 1.0), at(2, 0));
    default:
        return InputSource::periodic(kind->kind, n[0], at(1, 1.0), at(2, 0), at(3, 0));
    }
}

std::optional<Scenario::Input> scenarioInput(std::string_view key) {
    if (key == "a1")
        return Scenario::A1;
    if (key == "a2")
        return Scenario::A2;
    if (key == "d1")
        return Scenario::D1;
    if (key == "d2")
        return Scenario::D2;
    return std::nullopt;
}

} // namespace qs40::sim
