#include "display/variant_prompt.h"

#include "scope/calibration_texts.h"
#include "scope/variant.h"

#include <string>

namespace qs40 {

std::optional<std::int32_t> checkFrameVariant(const ScopeState& state, const HeaderFields& frame,
                                              VariantCheckFlags& flags, Ui& ui,
                                              const RebuildInterface& rebuild) {
    const std::int32_t code = frame[kHdrVariant];
    // Read again after a rebuild: the switch changes Device_Type_Code.
    auto mismatch = [&] { return frame[kHdrLength] > 0 && code != state.System.Device_Type_Code; };
    auto switchTo = [&]() -> std::optional<std::int32_t> {
        if (!rebuild)
            return std::nullopt;
        rebuild(code);
        return code;
    };

    std::optional<std::int32_t> rebuilt;
    const bool ru = state.russian();
    const std::string caption = ru ? "Предупреждение" : "Warning";
    if (flags.askOnChange && mismatch()) {
        const std::string text = (ru ? "Перестроить интерфейс для " : "Change interface for ") +
                                 variantName(code) + "? ";
        if (ui.messageBox(caption, text, BoxIcon::Exclamation, BoxButtons::YesNo) == BoxAnswer::Yes)
            rebuilt = switchTo();
        else
            flags.askOnChange = false;
    }
    if (flags.announceChange && mismatch()) {
        const std::string text =
            (ru ? "Интерфейс будет перестроен для " : "Interface will be changed for ") +
            variantName(code) + ". ";
        ui.messageBox(caption, text, BoxIcon::Exclamation, BoxButtons::Ok);
        if (const auto r = switchTo())
            rebuilt = r;
        flags.announceChange = false;
    }
    return rebuilt;
}

CalibrationCheck checkCalibrationVariant(const ScopeState& state,
                                         std::optional<std::int32_t> instrumentCode, Ui& ui,
                                         const RebuildInterface& fullSwitch) {
    const bool ru = state.russian();
    if (!instrumentCode) {
        ui.messageBox(calibrationErrorCaption(ru), deviceNotFoundText(ru), BoxIcon::Stop,
                      BoxButtons::Ok);
        return CalibrationCheck::NoInstrument;
    }
    if (*instrumentCode != state.System.Device_Type_Code) {
        const std::string text =
            (ru ? "Интерфейс будет перестроен для " : "Interface will be changed for ") +
            variantName(*instrumentCode) + ". ";
        ui.messageBox(ru ? "Предупреждение" : "Warning", text, BoxIcon::Exclamation,
                      BoxButtons::Ok);
        if (fullSwitch)
            fullSwitch(*instrumentCode);
    }
    return CalibrationCheck::Ready;
}

} // namespace qs40
