#include "files/export_common.h"

#include "display/unit_format.h"
#include "files/file_box_texts.h"

#include <mutex>

namespace qs40 {

std::string timeStepText(const FrameHeader& header, std::string_view decimalSeparator) {
    return fmt(header[kHdrDivider] * 10.0, UnitKind::Time, -4, decimalSeparator);
}

std::string voltageStepText(std::int32_t voltsPerDivision, std::string_view decimalSeparator) {
    return fmt(voltsPerDivision * 0.03125, UnitKind::Voltage, -4, decimalSeparator);
}

std::optional<std::string> chooseExportFile(ExportContext& context, const FileDialogTexts& dialog,
                                            const std::function<bool(const FrameHeader&)>& hasData,
                                            ExportResult& ended) {
    FileCommandContext& files = context.files;
    bool found = false;
    {
        std::lock_guard lock(files.frames.mutex);
        found = hasData(files.frames.current->header);
    }
    if (!found) {
        files.ui.messageBox(dialog.title, noDataText(files.state.russian()), BoxIcon::Stop,
                            BoxButtons::Ok);
        ended = ExportResult::NoData;
        return std::nullopt;
    }
    std::optional<std::string> path = chooseSaveFile(files.ui, files.state.Session, dialog);
    if (!path)
        ended = ExportResult::Cancelled;
    return path;
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
