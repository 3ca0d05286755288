#include "files/data_file.h"

#include "files/config_io.h"
#include "files/data_file_damage.h"
#include "files/data_file_format.h"
#include "files/file_box_texts.h"
#include "files/file_dialogs.h"
#include "files/file_handles.h"
#include "files/file_read.h"
#include "files/file_replace.h"

#include <memory>
#include <mutex>
#include <thread>

namespace qs40 {
namespace {

using namespace std::chrono_literals;

const char* pick(bool russian, const char* english, const char* russianText) {
    return russian ? russianText : english;
}

FileDialogTexts saveDialogTexts(bool ru) {
    return {pick(ru, "Save", "Сохранение данных"),
            pick(ru, "ZR40 Data File (*.qsd)|*.qsd", "Файл данных ZR40 (*.qsd)|*.qsd"),
            std::string(kDataFileExtension)};
}

FileDialogTexts openDialogTexts(bool ru) {
    return {pick(ru, "Open", "Открытие данных"),
            pick(ru, "ZR40 Data File (*.qsd)|*.qsd|All Files (*.*)|*.*",
                 "Файлы данных ZR40 (*.qsd)|*.qsd|Все файлы (*.*)|*.*"),
            std::string(kDataFileExtension)};
}

std::string saveCaption(bool ru) {
    return pick(ru, "Save", "Сохранение файла данных");
}
std::string companionSaveCaption(bool ru) {
    return pick(ru, "Save Settings File", "Сохранение сопутствующего файла настроек.");
}
std::string openCaption(bool ru) {
    return pick(ru, "Open", "Открытие файла данных");
}

std::string formatErrorText(const std::string& name, DataFileStatus status, bool ru) {
    switch (status) {
    case DataFileStatus::OlderFormat:
        return name +
               pick(ru, "\r\nInvalid file format (ZR4001).", "\r\nНеверный формат файла (ZR4001).");
    case DataFileStatus::HeaderTruncated:
    case DataFileStatus::ChecksumError:
        return name + pick(ru, "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла.");
    default:
        return name + pick(ru, "\r\nInvalid file format.", "\r\nНеверный формат файла.");
    }
}

void waitHandlingEvents(Ui& ui, std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    do {
        ui.processMessages();
        std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < end);
}

void recomputeAndDisplay(DataFileContext& context) {
    if (context.hooks.recomputeAndDisplay)
        context.hooks.recomputeAndDisplay();
}

DataFileSaveResult saveCompanion(DataFileContext& context, const std::string& dataPath) {
    Ui& ui = context.files.ui;
    const bool ru = context.files.state.russian();
    const std::string companion = companionSettingsName(dataPath);
    // A data file saved under the companion's own name must not be overwritten by it.
    if (companion == dataPath)
        return DataFileSaveResult::CompanionKept;
    if (fileExists(companion) &&
        ui.messageBox(companionSaveCaption(ru), replaceExistingText(companion, ru),
                      BoxIcon::Exclamation, BoxButtons::YesNo) != BoxAnswer::Yes)
        return DataFileSaveResult::CompanionKept;
    // Written once, whole: a companion is never seen empty or half-written.
    const FileWriteResult written =
        writeFileReplacing(companion, configurationText(context.files.state, ConfigMode::File));
    if (!written.ok) {
        ui.messageBox(companionSaveCaption(ru), writeFailureText(companion, written, ru),
                      BoxIcon::Stop, BoxButtons::Ok);
        return DataFileSaveResult::CompanionFailed;
    }
    return DataFileSaveResult::Saved;
}

} // namespace

std::string companionSettingsName(const std::string& dataFilePath) {
    return withExtension(dataFilePath, kCompanionExtension);
}

DataFileSaveResult saveDataFileCommand(DataFileContext& context) {
    const bool ru = context.files.state.russian();
    const auto path =
        chooseSaveFile(context.files.ui, context.files.state.Session, saveDialogTexts(ru));
    if (!path)
        return DataFileSaveResult::Cancelled;
    return saveDataFile(context, *path);
}

DataFileSaveResult saveDataFile(DataFileContext& context, const std::string& path) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    std::string bytes;
    {
        std::lock_guard lock(files.frames.mutex);
        prepareHeaderForFile(files.frames.current->header);
        bytes = encodeDataFile(*files.frames.current);
    }
    if (const FileWriteResult written = writeFileReplacing(path, bytes); !written.ok) {
        files.ui.messageBox(saveCaption(ru), writeFailureText(path, written, ru), BoxIcon::Stop,
                            BoxButtons::Ok);
        return DataFileSaveResult::Failed;
    }
    files.state.Session.current = {fileNameOf(path), true};
    recomputeAndDisplay(context);
    return saveCompanion(context, path);
}

DataFileOpenResult openDataFileCommand(DataFileContext& context) {
    const bool ru = context.files.state.russian();
    const auto path =
        chooseOpenFile(context.files.ui, context.files.state.Session, openDialogTexts(ru));
    if (!path)
        return DataFileOpenResult::Cancelled;
    return openDataFile(context, *path);
}

DataFileOpenResult openDataFile(DataFileContext& context, const std::string& path) {
    FileCommandContext& files = context.files;
    ScopeState& state = files.state;
    const bool ru = state.russian();

    // Refused before it is opened when it is no regular file: a named pipe would never answer.
    OpenedStream opened = openRegularFileStream(path);
    if (!opened.file) {
        files.ui.messageBox(openCaption(ru), readFailureText(path, opened, ru),
                            BoxIcon::Exclamation, BoxButtons::Ok);
        return opened.status == FileReadStatus::Missing ? DataFileOpenResult::NotFound
                                                        : DataFileOpenResult::Unreadable;
    }
    UniqueFile file = std::move(opened.file);
    // Read aside and copied in under the lock, so the current set is never seen half-loaded.
    auto loaded = std::make_unique<FrameData>();
    StdioDataFileInput input(file.get());
    const DataFileReport report = decodeDataFile(input, *loaded);
    file.reset(); // closed before any box
    if (input.error() != 0) {
        files.ui.messageBox(openCaption(ru),
                            readFailureText(path, FileReadStatus::Failed, input.error(), ru),
                            BoxIcon::Exclamation, BoxButtons::Ok);
        return DataFileOpenResult::Unreadable;
    }

    switch (report.status) {
    case DataFileStatus::NotDataFile:
    case DataFileStatus::OlderFormat:
        files.ui.messageBox(openCaption(ru), formatErrorText(path, report.status, ru),
                            BoxIcon::Exclamation, BoxButtons::Ok);
        return DataFileOpenResult::InvalidFormat;
    case DataFileStatus::HeaderTruncated:
    case DataFileStatus::ChecksumError: {
        {
            std::lock_guard lock(files.frames.mutex);
            files.frames.current->reset();
        }
        state.Session.current.valid = false;
        files.ui.messageBox(openCaption(ru), formatErrorText(path, report.status, ru),
                            BoxIcon::Exclamation, BoxButtons::Ok);
        return DataFileOpenResult::ChecksumError;
    }
    case DataFileStatus::Loaded:
        break;
    }

    {
        std::lock_guard lock(files.frames.mutex);
        *files.frames.current = *loaded;
    }
    state.Session.current = {fileNameOf(path), true};
    const std::vector<DataFileDamage> damage = dataFileDamage(report);
    if (loaded->header[kHdrVariant] != state.System.Device_Type_Code) {
        context.variant.askOnVariantChange = false;
        // A code no instrument has would rebuild the interface for a variant that does not
        // exist, and keep it in the configuration.
        if (!damagesField(damage, kHdrVariant))
            context.variant.announceVariantChange = true;
    }
    recomputeAndDisplay(context);
    if (context.hooks.wait)
        context.hooks.wait(200ms);
    else
        waitHandlingEvents(files.ui, 200ms);
    // Said once the sound part is drawn, so that the box is read next to it.
    if (!damage.empty())
        files.ui.messageBox(openCaption(ru), damagedFileText(path, damage, ru),
                            BoxIcon::Exclamation, BoxButtons::Ok);

    const std::string companion = companionSettingsName(path);
    if (companion != path && fileExists(companion) &&
        files.ui.messageBox(openCaption(ru),
                            companion + pick(ru, " found.\r\nOpen settings file?",
                                             " найден.\r\nОткрыть сопутствующий файл настроек?"),
                            BoxIcon::Question, BoxButtons::YesNo) == BoxAnswer::Yes &&
        context.hooks.readSettings)
        context.hooks.readSettings(companion);
    return DataFileOpenResult::Loaded;
}

} // namespace qs40
