// The server configuration file: opening one into the windows, updating it from the windows and
// creating one with the factory defaults, all through the one record the main window holds.
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "core/config_text.h"
#include "core/server_record.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QFileInfo>
#include <QScopedValueRollback>

namespace record = corvane::record;

namespace {

const QString kFilter = QStringLiteral("*.dat");

QString shownPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// Writes the record as the whole file, through a save-and-rename so that a failed write leaves
// the previous file whole; tells the operator when it fails.
void writeRecord(const QString& path, const record::ServerConfigRecord& record) {
    const record::RecordBytes bytes = record::encodeRecord(record);
    QString error;
    if (!platform::files::write(path, std::string(bytes.begin(), bytes.end()), &error))
        platform::message(QStringLiteral("Cannot write %1: %2").arg(shownPath(path), error));
}

} // namespace

void handlers::wireFiles(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.OpenConfigurationFile1, &QAction::triggered, &f,
                     &TForm1::OpenConfigurationFile1Click);
    QObject::connect(ui.UpdateConfigurationFile1, &QAction::triggered, &f,
                     &TForm1::UpdateConfigurationFile1Click);
    QObject::connect(ui.CreateDefaultConfigurationfile2, &QAction::triggered, &f,
                     &TForm1::CreateDefaultConfigurationFile1Click);
}

// The open dialog's answer is not needed: a cancelled dialog keeps the name it held, and that
// file is read all the same. A file shorter than the record replaces only its leading bytes;
// bytes after the record are not read; either is said after the values are shown.
void TForm1::OpenConfigurationFile1Click() {
    const QString chosen =
        platform::prompts().openFileName(QStringLiteral("Open"), OpenDialogFileName, kFilter);
    if (!chosen.isEmpty())
        OpenDialogFileName = chosen;
    QString error;
    const auto bytes =
        platform::files::readHead(OpenDialogFileName, qint64(record::kRecordSize), &error);
    if (!bytes) {
        platform::message(
            QStringLiteral("Cannot read %1: %2").arg(shownPath(OpenDialogFileName), error));
        return;
    }
    ServerRecord = record::readRecord(
        ServerRecord,
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    Encode_File();
    configHeld_ = true;
    // A file of another size than the record is said once, after its values are shown.
    const QFileInfo file(OpenDialogFileName);
    const qint64 size = bytes->size() < record::kRecordSize ? qint64(bytes->size()) : file.size();
    if (const auto note = record::sizeNote(platform::fromQ(file.fileName()), std::uint64_t(size)))
        platform::message(platform::toQ(*note));
}

// Writes the file last chosen in the open dialog; no dialog is shown. A number that does not
// convert leaves the file as it is.
void TForm1::UpdateConfigurationFile1Click() {
    if (!Decode_File())
        return;
    writeRecord(OpenDialogFileName, ServerRecord);
}

// The defaults go into the record first; a cancelled save dialog writes nothing.
void TForm1::CreateDefaultConfigurationFile1Click() {
    record::applyFactoryDefaults(ServerRecord);
    const QString path = platform::prompts().saveFileName(QStringLiteral("Save As"), {}, kFilter);
    if (path.isEmpty())
        return;
    writeRecord(path, ServerRecord);
}

void TForm1::Encode_File() {
    applyActions(record::recordToControls(ServerRecord, Board));
}

// A whole configuration from a settings text or the history goes in as a file's does: the boxes
// it changes send nothing, and "Save Config." then sends it unasked.
void TForm1::showConfiguration(const corvane::controls::ConfigView& view) {
    const QScopedValueRollback quiet(boxesSendNothing_, true);
    applyActions(corvane::configtext::toControls(view, Board));
    configHeld_ = true;
}

bool TForm1::Decode_File() {
    record::RecordUpdate update = record::recordFromControls(ServerRecord, readControls(), Board);
    ServerRecord = update.record;
    if (!update.ok()) {
        platform::message(platform::toQ(update.error));
        return false;
    }
    return true;
}
