// SDP files for receivers of the RTP streams, written into the current working directory when the
// RTP dialog asks for one.
#include "app/status_strip.h"
#include "app/tform1.h"
#include "core/sdp.h"
#include "platform/files.h"
#include "platform/prompts.h"

#include <QDir>

// With no encoder format or no session type selected nothing is written and nothing is said; a
// file written is named in the status line.
void TForm1::writeSdpFile(int stream) {
    const auto file =
        corvane::sdp::sdpFile(readControls(), stream == 12 ? corvane::variant::Channel::Ch12
                                                           : corvane::variant::Channel::Ch11);
    if (!file)
        return;
    const QString path = QDir::current().absoluteFilePath(platform::toQ(file->name));
    QString error;
    if (!platform::files::write(path, file->text, &error))
        platform::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
    else
        strip_->showNote(QStringLiteral("Wrote %1").arg(path), path);
}
