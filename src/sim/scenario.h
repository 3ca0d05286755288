// The bench around the simulated instrument: what is connected to A1, A2, D1 and D2. The demo
// scenario keeps every channel busy; tests build their own from InputSource values, and the
// device text describes one in a short form (sim_options.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "sim/input_source.h"

namespace qs40::sim {

// A digital input reads its source as high above this.
inline constexpr double kLogicThresholdVolts = 1.4;

struct Scenario {
    enum Input : std::size_t { A1, A2, D1, D2 };
    std::array<InputSource, 4> inputs{};

    // A1 a 1 kHz sine of 1.8 V peak, A2 the generator output, D1 a 10 kHz clock, D2 a 2.5 kHz
    // pulse train (20 % high).
    static Scenario demo();

    bool operator==(const Scenario&) const = default;
};

// One input's source in the short form "KIND[:N[:N...]]" (see sim_options.h); nullopt with
// *error set when the text is not one.
std::optional<InputSource> parseInputSource(std::string_view text, std::string* error = nullptr);

// "a1", "a2", "d1", "d2" to their input; nullopt for any other key.
std::optional<Scenario::Input> scenarioInput(std::string_view key);

} // namespace qs40::sim
