#include "tools/LoopbackTileServer.h"

#include "map/COSMCtrlProjection.h"
#include "tools/LoopbackTilePicture.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

LoopbackTileServer::LoopbackTileServer(QObject* parent)
    : QObject(parent)
    , server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &LoopbackTileServer::OnConnection);
}

LoopbackTileServer::~LoopbackTileServer() = default;

bool LoopbackTileServer::Listen(quint16 port)
{
    return server_->listen(QHostAddress::LocalHost, port);
}

quint16 LoopbackTileServer::Port() const
{
    return server_->serverPort();
}

QString LoopbackTileServer::ErrorString() const
{
    return server_->errorString();
}

int LoopbackTileServer::Answer(const QString& path, QByteArray& body, QByteArray& contentType)
{
    if (path == QLatin1String("/")) {
        contentType = "text/plain";
        body = "plomera loopback tiles\n";
        return 200;
    }
    static const QRegularExpression tilePath(QStringLiteral("^/(\\d{1,2})/(\\d{1,7})/(\\d{1,7})\\.png$"));
    const QRegularExpressionMatch match = tilePath.match(path);
    if (match.hasMatch()) {
        const int z = match.captured(1).toInt();
        const int x = match.captured(2).toInt();
        const int y = match.captured(3).toInt();
        const double n = COSMCtrlProjection::TilesPerSide(z);
        if (z <= COSMCtrlProjection::kMaxZoom && x < n && y < n) {
            contentType = "image/png";
            body = LoopbackTilePicture::Png(z, x, y);
            return 200;
        }
    }
    contentType = "text/plain";
    body = "no such tile\n";
    return 404;
}

void LoopbackTileServer::OnConnection()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        pending_.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LoopbackTileServer::OnReadable(QTcpSocket* socket)
{
    auto found = pending_.find(socket);
    if (found == pending_.end()) {
        socket->readAll();
        return;
    }
    found->append(socket->readAll());
    const qsizetype headerEnd = found->indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (found->size() > kMaxRequestBytes) {
            pending_.erase(found);
            socket->abort();
        }
        return;
    }
    const QList<QByteArray> requestLine = found->left(found->indexOf("\r\n")).split(' ');
    pending_.erase(found);
    QByteArray body;
    QByteArray contentType;
    int status = 400;
    QString path;
    if (requestLine.size() == 3 && requestLine[0] == "GET") {
        path = QString::fromLatin1(requestLine[1]);
        status = Answer(path, body, contentType);
    } else {
        contentType = "text/plain";
        body = "bad request\n";
    }
    const QByteArray reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Bad Request";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + contentType
                  + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
    if (log_) {
        log_(path, status);
    }
}
