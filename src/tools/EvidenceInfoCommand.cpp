#include "tools/EvidenceInfoCommand.h"

#include "evidence/DeviceTypes.h"
#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "evidence/WideText.h"
#include "tools/CommandLineText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString Text(const QString& s)
{
    return WideText::UpToNul(s);
}

} // namespace

QJsonObject EvidenceInfoCommand::ToJson(const FileTag& tag, bool loaded)
{
    return FileTagJson::Of(tag, loaded);
}

int EvidenceInfoCommand::Run(const QStringList& args)
{
    QString path;
    bool json = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (path.isEmpty()) {
            path = a;
        } else {
            CommandLineText::Err(QStringLiteral("usage: plomera-evidence info FILE [--json]"));
            return 2;
        }
    }
    if (path.isEmpty()) {
        CommandLineText::Err(QStringLiteral("usage: plomera-evidence info FILE [--json]"));
        return 2;
    }
    FileTag tag;
    bool loaded = false;
    try {
        loaded = tag.LoadFromFile(path);
    } catch (const FalException& e) {
        CommandLineText::Err(e.Message());
        return 2;
    } catch (const std::exception& e) {
        CommandLineText::Err(QString::fromUtf8(e.what()));
        return 2;
    }
    const QJsonObject o = ToJson(tag, loaded);
    if (json) {
        CommandLineText::Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return loaded ? 0 : 1;
    }
    if (!loaded) {
        CommandLineText::Out(QStringLiteral("%1: no recognised tag (version %2)").arg(path, tag.Version()));
        return 1;
    }
    CommandLineText::Out(QStringLiteral("File:        %1").arg(path));
    CommandLineText::Out(QStringLiteral("Tag version: %1").arg(tag.Version()));
    CommandLineText::Out(QStringLiteral("Device:      %1 (model %2, type %3)")
                             .arg(Text(tag.DeviceName()), Text(tag.ModelName()))
                             .arg(tag.DeviceType()));
    CommandLineText::Out(QStringLiteral("Recorded:    %1 to %2")
                             .arg(CommandLineText::FormatLocal(tag.StartTime()),
                                  CommandLineText::FormatLocal(tag.EndTime())));
    CommandLineText::Out(QStringLiteral("Encrypted:   %1").arg(tag.Encrypted() ? "yes" : "no"));
    CommandLineText::Out(QStringLiteral("Fisheye:     %1").arg(tag.FisheyeKind()));
    if (!Text(tag.MountType()).isEmpty()) {
        CommandLineText::Out(QStringLiteral("Mount type:  %1, view mode %2")
                                 .arg(Text(tag.MountType()), Text(tag.ViewMode())));
    }
    const auto& channels = tag.Channels();
    for (size_t p = 0; p < channels.size(); ++p) {
        const QString name = static_cast<qsizetype>(p) < tag.CameraNames().size()
                                 ? Text(tag.CameraNames().at(static_cast<qsizetype>(p)))
                                 : QStringLiteral("Camera %1").arg(p + 1);
        CommandLineText::Out(QStringLiteral("Channel %1:   %2").arg(channels[p]).arg(name));
    }
    CommandLineText::Out(QStringLiteral("Bookmarks:   %1").arg(tag.Bookmarks().size()));
    for (const auto& b : tag.Bookmarks()) {
        CommandLineText::Out(QStringLiteral("  %1  %2  %3")
                                 .arg(CommandLineText::FormatLocal(b->GetTime()), b->GetName(), b->GetNotes()));
    }
    return 0;
}
