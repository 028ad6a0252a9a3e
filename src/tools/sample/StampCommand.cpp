#include "StampCommand.h"

#include "tools/CommandOutput.h"
#include "tools/ToolCommand.h"
#include "sample/FrameStamp.h"

#include <QFileInfo>
#include <QImageReader>
#include <QJsonObject>

namespace {

constexpr int kNoStamp = 1;
constexpr int kUnreadable = 2;
constexpr int kTextRow = 20;

const QString kJson = QStringLiteral("--json");

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("IMAGE"));
    const QString path = args.Positional().first();
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        io.Message(QStringLiteral("Cannot read %1: %2").arg(path, QFileInfo(path).isFile() ? reader.errorString() : QStringLiteral("no such file")));
        return kUnreadable;
    }
    const qint64 frame = StampCommand::FrameIndex(image);
    if (args.Has(kJson)) {
        io.Json({{QStringLiteral("frame"), frame >= 0 ? QJsonValue(frame) : QJsonValue()}});
    } else if (frame >= 0) {
        io.Line(QString::number(frame));
    }
    if (frame < 0) {
        io.Message(QStringLiteral("%1 carries no frame stamp").arg(path));
        return kNoStamp;
    }
    return ExitCode::kOk;
}

} // namespace

QRect StampCommand::PictureRect(const QImage& image)
{
    const QRect whole = image.rect();
    if (!image.hasAlphaChannel() || image.height() <= 2 * kTextRow) {
        return whole;
    }
    // Between the text rows only the picture is opaque.
    const int y = kTextRow + (image.height() - 2 * kTextRow) / 2;
    if (qAlpha(image.pixel(0, y)) == 0) {
        return whole;
    }
    int width = 1;
    while (width < image.width() && qAlpha(image.pixel(width, y)) != 0) {
        ++width;
    }
    return QRect(0, kTextRow, width, image.height() - 2 * kTextRow);
}

qint64 StampCommand::FrameIndex(const QImage& image)
{
    const QImage picture = image.copy(PictureRect(image)).convertToFormat(QImage::Format_RGB32);
    return FrameStamp::Read(picture.constBits(), picture.width(), picture.height(), static_cast<int>(picture.bytesPerLine()));
}

const ToolCommand& StampCommand::Command()
{
    static const ToolCommand command{
        "stamp",
        "print the frame index stamped into a sample frame or a snapshot of one",
        "stamp IMAGE [--json]",
        R"HELP(Reads the machine-readable frame stamp that sample evidence carries in every frame, from a
picture file: a bare frame, or a snapshot the player saved (the picture found between its text
rows). Prints the frame index (0 = the stream's first frame).

Options:
  --json    one JSON object instead: {"frame"} (null when no stamp was found)

Exit codes:
  0   the stamp was read
  1   the picture carries no readable stamp
  2   the file cannot be read as a picture
  64  a mistake in the command line
)HELP",
        {{kJson, {}}},
        &Run,
    };
    return command;
}
