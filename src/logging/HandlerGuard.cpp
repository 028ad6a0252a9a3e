#include "logging/HandlerGuard.h"

QString HandlerGuard::Failure::Format(const QString& reason) const
{
    const QString cut = reason.left(255);
    if (!text)
        return QStringLiteral("Error in %1 : %2").arg(QString::fromUtf8(operation ? operation : ""), cut);
    // Only the first %s is the reason's place; the reason itself is never read for one.
    QString formatted = QString::fromUtf8(text);
    const qsizetype at = formatted.indexOf(QLatin1String("%s"));
    if (at < 0)
        return formatted + QLatin1Char(' ') + cut;
    return formatted.replace(at, 2, cut);
}

QString HandlerGuard::TextOf(const std::exception& e)
{
    // Every layer's exception carries its message as UTF-8 in what().
    return QString::fromUtf8(e.what());
}

void HandlerGuard::Report(const Failure& failure, const QString& reason)
{
    Logger::GetInstance()->Error(failure.Format(reason));
}
