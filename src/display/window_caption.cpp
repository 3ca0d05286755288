#include "display/window_caption.h"

#include "scope/variant.h"

#include <string_view>

namespace qs40 {
namespace {

// The names are kept without folder; a name that still carries one shows only its last part.
std::string_view withoutFolder(std::string_view name) {
    const auto slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

} // namespace

std::string windowCaption(const ScopeState& state, const HeaderFields& current,
                          const HeaderFields& background) {
    const bool currentHasSamples = current[kHdrLength] > 0;
    const bool backgroundExists = background[kHdrLength] > 0;
    const DataFileName& currentFile = state.Session.current;
    const DataFileName& backgroundFile = state.Session.background;

    std::string caption = variantName(state.System.Device_Type_Code) + " ";
    if (state.System.Debug_qs) {
        caption += "  ver=" + versionText(kSoftwareVersion);
        if (state.Instrument.identified)
            caption += "  dev=" + variantName(state.Instrument.hardwareCode) + " ";
    }

    if (currentFile.valid) {
        caption += " - ";
        caption += withoutFolder(currentFile.name);
    } else if (backgroundExists || backgroundFile.valid) {
        // The decoder's frame counter tells the live frame apart from the kept one.
        caption += currentHasSamples ? " -  " + std::to_string(current[kHdrFrameCounter])
                                     : std::string(" - ...");
    }

    if (backgroundFile.valid) {
        caption += "  //  ";
        caption += withoutFolder(backgroundFile.name);
    } else if (backgroundExists) {
        caption += "  //   " + std::to_string(background[kHdrFrameCounter]);
    }
    return caption;
}

} // namespace qs40
