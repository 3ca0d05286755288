#include "files/config_io.h"

#include "files/atomic_write.h"
#include "files/config_texts.h"
#include "scope/arith.h"
#include "scope/ui_port.h"
#include "scope/variant.h"

#include <cmath>
#include <cstdio>
#include <system_error>

namespace qs40 {
namespace {

constexpr std::string_view kSystem = "System";

// Whole part of a level, truncated toward zero and held inside 32 bits (NaN gives 0).
std::int32_t wholePart(double level) {
    if (std::isnan(level))
        return 0;
    const double t = std::trunc(level);
    if (t >= 2147483647.0)
        return INT32_MAX;
    if (t <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(t);
}

bool memberAdmitted(std::int32_t capabilityCode, GroupId id, std::size_t member) {
    const GroupDef& def = groupDef(id);
    return hasCapability(capabilityCode, def.capability | def.members[member].capability);
}

class KeyReader {
public:
    KeyReader(const IniFile& ini, ScopeState& state, ConfigMode mode, std::int32_t capabilityCode)
        : ini_(ini), state_(state), mode_(mode), code_(capabilityCode) {}

    void section(std::string_view name) { section_ = name; }

    void boolean(std::string_view key, bool& field, std::uint32_t caps, std::uint8_t modes) {
        if (admitted(caps, modes))
            field = ini_.readBool(section_, key, field);
    }
    void integer(std::string_view key, std::int32_t& field, std::uint32_t caps, std::uint8_t modes,
                 std::optional<std::int32_t> readDefault) {
        if (admitted(caps, modes))
            field = ini_.readInteger(section_, key, readDefault.value_or(field));
    }
    void markerCoordinate(std::string_view key, std::int32_t& field) {
        integer(key, field, 0, kInBoth, std::nullopt);
    }
    // A missing whole part keeps the current one; a missing fine part counts as 0, so the
    // fraction is dropped.
    void level(std::string_view wholeKey, std::string_view fineKey, double& field,
               std::uint32_t caps) {
        if (!admitted(caps, kInBoth))
            return;
        const std::int32_t whole = ini_.readInteger(section_, wholeKey, wholePart(field));
        const std::int32_t fine = ini_.readInteger(section_, fineKey, 0);
        field = static_cast<double>(whole) + static_cast<double>(fine) / 1e6;
    }
    void color(std::string_view key, ColorRef& field, std::uint32_t caps,
               std::int32_t readDefault) {
        if (admitted(caps, kInConfiguration))
            field = static_cast<ColorRef>(ini_.readInteger(section_, key, readDefault));
    }
    // Each member key is applied at once with the group's loading rule; a missing key reads as
    // the member's current state and so changes nothing.
    void group(GroupId id) {
        const auto members = groupDef(id).members;
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (!memberAdmitted(code_, id, i))
                continue;
            const int member = static_cast<int>(i);
            const bool current = groupSelection(state_, id) == member;
            loadGroupMember(state_, id, member, ini_.readBool(section_, members[i].key, current));
        }
    }

private:
    bool admitted(std::uint32_t caps, std::uint8_t modes) const {
        return hasCapability(code_, caps) && modeAdmits(modes, mode_);
    }

    const IniFile& ini_;
    ScopeState& state_;
    ConfigMode mode_;
    std::int32_t code_;
    std::string_view section_;
};

class KeyWriter {
public:
    KeyWriter(IniFile& ini, const ScopeState& state, ConfigMode mode)
        : ini_(ini), state_(state), mode_(mode), code_(state.System.Device_Type_Code) {}

    void section(std::string_view name) { section_ = name; }

    void boolean(std::string_view key, const bool& field, std::uint32_t caps, std::uint8_t modes) {
        if (admitted(caps, modes))
            ini_.writeBool(section_, key, field);
    }
    void integer(std::string_view key, const std::int32_t& field, std::uint32_t caps,
                 std::uint8_t modes, std::optional<std::int32_t>) {
        if (admitted(caps, modes))
            ini_.writeInteger(section_, key, field);
    }
    // The markers start at their defaults after every program start: the configuration file
    // does not keep them.
    void markerCoordinate(std::string_view key, const std::int32_t& field) {
        integer(key, field, 0, kInFile, std::nullopt);
    }
    void level(std::string_view wholeKey, std::string_view fineKey, const double& field,
               std::uint32_t caps) {
        if (!admitted(caps, kInBoth))
            return;
        const std::int32_t whole = wholePart(field);
        ini_.writeInteger(section_, wholeKey, whole);
        ini_.writeInteger(section_, fineKey, roundToInt32((field - whole) * 1e6));
    }
    void color(std::string_view key, const ColorRef& field, std::uint32_t caps, std::int32_t) {
        if (admitted(caps, kInConfiguration))
            ini_.writeInteger(section_, key, static_cast<std::int32_t>(field));
    }
    void group(GroupId id) {
        const auto members = groupDef(id).members;
        const int selected = groupSelection(state_, id);
        for (std::size_t i = 0; i < members.size(); ++i)
            if (memberAdmitted(code_, id, i))
                ini_.writeBool(section_, members[i].key, selected == static_cast<int>(i));
    }

private:
    bool admitted(std::uint32_t caps, std::uint8_t modes) const {
        return hasCapability(code_, caps) && modeAdmits(modes, mode_);
    }

    IniFile& ini_;
    const ScopeState& state_;
    ConfigMode mode_;
    std::int32_t code_;
    std::string_view section_;
};

std::string betweenTildes(std::string_view text) {
    return "~" + std::string(text) + "~";
}

std::string serialNumberText(const InstrumentInfo& info) {
    char text[32];
    std::snprintf(text, sizeof text, "%04X - %08X", static_cast<unsigned>(info.serialPrefix),
                  static_cast<unsigned>(info.serialNumber));
    return text;
}

// The instrument information, written for reference and never read back. The service
// switches that follow it in the section are edited by hand and never written.
void writeSystem(IniFile& ini, const ScopeState& state, ConfigMode mode) {
    const InstrumentInfo& info = state.Instrument;
    if (mode == ConfigMode::Configuration) {
        if (info.serialValid)
            ini.writeString(kSystem, "Ser_Num", betweenTildes(serialNumberText(info)));
        ini.writeString(kSystem, "Soft_Ver", betweenTildes(std::to_string(kSoftwareVersion)));
        if (info.firmwareVersion != -1)
            ini.writeString(kSystem, "Firm_Ver",
                            betweenTildes(std::to_string(info.firmwareVersion)));
        if (info.fpgaVersion != -1)
            ini.writeString(kSystem, "FPGA_Ver", betweenTildes(std::to_string(info.fpgaVersion)));
        if (info.tdcValid) {
            ini.writeString(kSystem, "TDC_Rise_A1", betweenTildes(std::to_string(info.tdc[0])));
            ini.writeString(kSystem, "TDC_Fall_A1", betweenTildes(std::to_string(info.tdc[1])));
            if (state.has(kCapA2)) {
                ini.writeString(kSystem, "TDC_Rise_A2", betweenTildes(std::to_string(info.tdc[2])));
                ini.writeString(kSystem, "TDC_Fall_A2", betweenTildes(std::to_string(info.tdc[3])));
            }
        }
        if (info.vccValid)
            ini.writeString(kSystem, "Vcc", betweenTildes(versionText(info.vcc)));
    }
    ini.writeString(kSystem, "Device_Type",
                    betweenTildes(variantName(state.System.Device_Type_Code)));
    ini.writeInteger(kSystem, "Device_Type_Code", state.System.Device_Type_Code);
}

} // namespace

void readConfiguration(const IniFile& ini, ScopeState& state, ConfigMode mode, bool variantFirst) {
    SystemSection& sys = state.System;
    if (variantFirst)
        sys.Device_Type_Code = ini.readInteger(kSystem, "Device_Type_Code", sys.Device_Type_Code);
    // The bits of this read come from the code as it stands now: the configuration-mode read
    // below changes the code, not the keys this read admits.
    const std::int32_t capabilityCode = sys.Device_Type_Code;
    if (mode == ConfigMode::Configuration) {
        sys.Device_Type_Code = ini.readInteger(kSystem, "Device_Type_Code", sys.Device_Type_Code);
        sys.Debug_qs = ini.readBool(kSystem, "Debug_qs", false);
        sys.TDC_Clbr = ini.readBool(kSystem, "TDC_Clbr", false);
        sys.Keep_Pulse = ini.readBool(kSystem, "Keep_Pulse", false);
        sys.No_Excuse = ini.readBool(kSystem, "No_Excuse", false);
    }
    KeyReader reader(ini, state, mode, capabilityCode);
    visitStateKeys(reader, state, mode, capabilityCode);
    // The amplitude bar holds its position inside its range.
    if (hasCapability(capabilityCode, kCapGenerator))
        keepAmplInRange(state);
}

void writeConfiguration(IniFile& ini, const ScopeState& state, ConfigMode mode) {
    for (std::string_view section :
         {"Common", "Scope", "Trigger", "Calibrate", "Generator", "FFT", "Colors"})
        ini.eraseSection(section);
    writeSystem(ini, state, mode);
    KeyWriter writer(ini, state, mode);
    visitStateKeys(writer, state, mode, state.System.Device_Type_Code);
}

std::string configurationText(const ScopeState& state, ConfigMode mode, IniFile document) {
    writeConfiguration(document, state, mode);
    return document.text();
}

ConfigReadResult readConfigurationFile(const std::filesystem::path& path, ScopeState& state,
                                       ConfigMode mode, bool variantFirst) {
    const ConfigDocument document = loadConfigurationDocument(path);
    readConfiguration(document.ini, state, mode, variantFirst);
    return document.result;
}

bool writeConfigurationFile(const std::filesystem::path& path, const ScopeState& state,
                            ConfigMode mode, Ui& ui, const std::string& errorCaption) {
    ConfigDocument document = loadConfigurationDocument(path);
    if (document.result.kept()) {
        ui.messageBox(errorCaption, configurationNotReplacedMessage(path.string(), document.result),
                      BoxIcon::Stop, BoxButtons::Ok);
        return false;
    }
    return writeConfigurationFile(path, std::move(document.ini), state, mode, ui, errorCaption);
}

bool writeConfigurationFile(const std::filesystem::path& path, IniFile document,
                            const ScopeState& state, ConfigMode mode, Ui& ui,
                            const std::string& errorCaption) {
    if (mode == ConfigMode::Configuration && path.has_parent_path()) {
        // The per-user configuration folder may not exist yet; a failure here shows up as the
        // write's own failure below.
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    writeConfiguration(document, state, mode);
    std::string error;
    if (writeFileAtomically(path, document.text(), error))
        return true;
    ui.messageBox(errorCaption, error, BoxIcon::Stop, BoxButtons::Ok);
    return false;
}

} // namespace qs40
