#include "files/export_common.h"

#include "display/unit_format.h"
#include "files/file_box_texts.h"

namespace qs40 {

std::string timeStepText(const FrameHeader& header, std::string_view decimalSeparator) {
    return fmt(header[kHdrDivider] * 10.0, UnitKind::Time, -4, decimalSeparator);
}

std::string voltageStepText(std::int32_t voltsPerDivision, std::string_view decimalSeparator) {
    return fmt(voltsPerDivision * 0.03125, UnitKind::Voltage, -4, decimalSeparator);
}

bool writeExportFile(ExportContext& context, const std::string& caption, const std::string& path,
                     std::string_view bytes) {
    const FileWriteResult written = writeFileReplacing(path, bytes);
    if (written.ok)
        return true;
    context.files.ui.messageBox(caption,
                                writeFailureText(path, written, context.files.state.russian()),
                                BoxIcon::Stop, BoxButtons::Ok);
    return false;
}

} // namespace qs40
