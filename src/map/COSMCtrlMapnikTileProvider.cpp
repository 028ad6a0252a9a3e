#include "map/COSMCtrlMapnikTileProvider.h"

#include <QSettings>
#include <QUrl>

namespace {

QUrl ServerUrl(const QString& server)
{
    const QString text = server.trimmed();
    if (text.isEmpty()) {
        return QUrl();
    }
    QUrl url = QUrl(text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty() || url.hasQuery()
        || url.hasFragment()) {
        return QUrl();
    }
    return url;
}

} // namespace

COSMCtrlMapnikTileProvider::COSMCtrlMapnikTileProvider()
    : COSMCtrlMapnikTileProvider(ServerSetting())
{
}

COSMCtrlMapnikTileProvider::COSMCtrlMapnikTileProvider(const QString& server)
    : host_(QString::fromLatin1(kDefaultHost))
    , port_(kDefaultPort)
{
    SetServer(server);
}

void COSMCtrlMapnikTileProvider::SetServer(const QString& server)
{
    const QUrl url = ServerUrl(server);
    if (url.isEmpty()) {
        return;
    }
    host_ = url.host(QUrl::FullyEncoded);
    if (url.host().contains(QLatin1Char(':'))) {
        host_ = QLatin1Char('[') + host_ + QLatin1Char(']');
    }
    port_ = url.port(kDefaultPort);
    QString path = url.path(QUrl::FullyEncoded);
    while (path.startsWith(QLatin1Char('/'))) {
        path.remove(0, 1);
    }
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    prefix_ = path;
}

QString COSMCtrlMapnikTileProvider::GetDownloadObject(int zoom, int x, int y) const
{
    return prefix_ + QString::asprintf("%d/%d/%d.png", zoom, x, y);
}

QString COSMCtrlMapnikTileProvider::GetDownloadURL(int zoom, int x, int y) const
{
    // The port appears in the address only when it is not the HTTP default.
    const QString host = port_ == kDefaultPort ? host_ : QStringLiteral("%1:%2").arg(host_).arg(port_);
    return QStringLiteral("http://%1/%2").arg(host, GetDownloadObject(zoom, x, y));
}

bool COSMCtrlMapnikTileProvider::IsUsableServer(const QString& server)
{
    return !ServerUrl(server).isEmpty();
}

QString COSMCtrlMapnikTileProvider::ServerSetting()
{
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Plomera"));
    return settings.value(QLatin1String(kServerSetting)).toString();
}
