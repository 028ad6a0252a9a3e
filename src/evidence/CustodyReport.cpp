#include "evidence/CustodyReport.h"

#include "evidence/FileTag.h"

#include <QFileInfo>
#include <cstdlib>
#include <exception>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimeZone>
#include <pwd.h>
#include <unistd.h>

const QString CustodyReport::kOverEvidence = QStringLiteral("The report cannot be written over an evidence file.");

namespace {

QString LocalAndUtc(const QDateTime& t)
{
    const QDateTime local = t.toLocalTime();
    const int offset = local.offsetFromUtc();
    const QString zone = QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 3600,
                                           std::abs(offset) % 3600 / 60);
    return QStringLiteral("%1 %2 (%3)").arg(local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), zone,
                                            t.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")));
}

QString ValueText(const QJsonValue& v)
{
    if (v.isString()) {
        return v.toString();
    }
    if (v.isArray()) {
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    }
    if (v.isObject()) {
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    }
    if (v.isBool()) {
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == static_cast<double>(static_cast<qint64>(d))) {
            return QString::number(static_cast<qint64>(d));
        }
        return QString::number(d, 'g', 9);
    }
    return QStringLiteral("null");
}

} // namespace

QString CustodyReport::CurrentUser()
{
    if (const passwd* pw = getpwuid(geteuid())) {
        return QString::fromLocal8Bit(pw->pw_name);
    }
    return qEnvironmentVariable("USER");
}

QString CustodyReport::CurrentHost()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) {
        return QString::fromLocal8Bit(name);
    }
    return {};
}

QString CustodyReport::Text(const Facts& f)
{
    const CustodyDigest::Result& d = f.digest;
    QString out;
    const auto line = [&out](const QString& label, const QString& value) {
        out += label + QStringLiteral(": ") + value + QLatin1Char('\n');
    };
    out += QStringLiteral("Custody report\n");
    line(QStringLiteral("Program version"), f.version);
    line(QStringLiteral("Checked at"), LocalAndUtc(f.checkedAt));
    line(QStringLiteral("User"), f.user);
    line(QStringLiteral("Host"), f.host);
    line(QStringLiteral("File"), f.path);
    line(QStringLiteral("Size"), QStringLiteral("%1 bytes").arg(d.before.size));
    line(QStringLiteral("Modified"),
         LocalAndUtc(QDateTime::fromMSecsSinceEpoch(d.before.mtimeNanos / 1'000'000, Qt::UTC)));
    if (!f.camera.isEmpty()) {
        line(QStringLiteral("Camera"), f.camera);
    }
    if (!d.complete) {
        line(QStringLiteral("Digests"), d.cancelled ? QStringLiteral("not computed (cancelled)") : d.error);
    } else {
        line(QStringLiteral("SHA-256 (file)"), d.sha256File);
        if (d.regionEnd >= 0) {
            line(QStringLiteral("SHA-256 (stream region, first %1 bytes)").arg(d.regionEnd), d.sha256Region);
        } else {
            line(QStringLiteral("SHA-256 (stream region)"), QStringLiteral("none: the file has no tag"));
        }
        line(QStringLiteral("MD5 (file)"), d.md5File);
        line(QStringLiteral("Unchanged during the check"),
             d.Changed() ? QStringLiteral("NO: size or modification time changed (now %1 bytes, modified %2)")
                               .arg(d.after.size)
                               .arg(LocalAndUtc(QDateTime::fromMSecsSinceEpoch(d.after.mtimeNanos / 1'000'000,
                                                                               Qt::UTC)))
                         : QStringLiteral("yes"));
    }
    if (!f.tag.isEmpty()) {
        out += QStringLiteral("Tag:\n");
        for (auto it = f.tag.begin(); it != f.tag.end(); ++it) {
            out += QStringLiteral("  ") + it.key() + QStringLiteral(": ") + ValueText(it.value()) + QLatin1Char('\n');
        }
    }
    return out;
}

QString CustodyReport::Write(const QString& target, const QString& text, const QStringList& protectedPaths)
{
    const QFileInfo info(target);
    const QString canonical = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    for (const QString& p : protectedPaths) {
        const QFileInfo evidence(p);
        if (!p.isEmpty() && (evidence.canonicalFilePath() == canonical || evidence.absoluteFilePath() == canonical)) {
            return kOverEvidence;
        }
    }
    if (info.exists()) {
        // Any file that carries a tag is evidence, open or not.
        try {
            FileTag tag;
            if (tag.ReadVersion(target) != QStringLiteral("3.1")) {
                return kOverEvidence;
            }
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return file.errorString();
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}
