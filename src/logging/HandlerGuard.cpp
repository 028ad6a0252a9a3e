#include "logging/HandlerGuard.h"

QString HandlerGuard::TextOf(const std::exception& e)
{
    // Every layer's exception carries its message as UTF-8 in what().
    return QString::fromUtf8(e.what());
}

void HandlerGuard::Report(const QString& format, const QString& text)
{
    Logger::GetInstance()->Error(format.arg(text.left(255)));
}
