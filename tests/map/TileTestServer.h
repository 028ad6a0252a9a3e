#pragma once

// A small HTTP server on 127.0.0.1 for the tile tests, running in its own thread so that a test
// may block while the worker downloads. Serves generated 256 x 256 PNG tiles under
// /Z/X/Y.png, counts requests, and can answer 404 or 500, send an oversized body, or hang.

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QHostAddress>
#include <QImage>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <memory>

class TileTestServer {
public:
    enum class Reply { Png, NotFound, ServerError, Big, Hang };
    static constexpr int kBigBytes = 2 * 1000 * 1000;

    TileTestServer()
    {
        context_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(&context_, [this] { Listen(); }, Qt::BlockingQueuedConnection);
    }

    ~TileTestServer()
    {
        QMetaObject::invokeMethod(&context_, [this] { server_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    quint16 Port() const { return port_; }
    QString Server() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

    void SetReply(const QString& path, Reply reply)
    {
        QMutexLocker lock(&mutex_);
        replies_[path] = reply;
    }

    QStringList Requests() const
    {
        QMutexLocker lock(&mutex_);
        return requests_;
    }

    static QByteArray Tile(int z, int x, int y)
    {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(QColor(40 * z % 256, 7 * x % 256, 13 * y % 256));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return png;
    }

    static QByteArray BigBody()
    {
        QByteArray body = Tile(0, 0, 0);
        while (body.size() < kBigBytes) {
            body.append(char(body.size() % 251));
        }
        return body;
    }

private:
    void Listen()
    {
        server_ = std::make_unique<QTcpServer>();
        server_->listen(QHostAddress::LocalHost, 0);
        port_ = server_->serverPort();
        QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    request->append(socket->readAll());
                    if (request->contains("\r\n\r\n") && !request->startsWith("done")) {
                        Answer(socket, *request);
                        request->prepend("done");
                    }
                });
            }
        });
    }

    void Answer(QTcpSocket* socket, const QByteArray& request)
    {
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        Reply reply = Reply::Png;
        {
            QMutexLocker lock(&mutex_);
            requests_ << path;
            reply = replies_.value(path, Reply::Png);
        }
        QByteArray status = "200 OK";
        QByteArray body;
        const QStringList parts = path.mid(1).chopped(path.endsWith(QLatin1String(".png")) ? 4 : 0).split('/');
        if (path == QLatin1String("/")) {
            body = "ok";
        } else if (reply == Reply::Hang) {
            return;
        } else if (reply == Reply::NotFound || parts.size() != 3) {
            status = "404 Not Found";
            body = "<html>no such tile</html>";
        } else if (reply == Reply::ServerError) {
            status = "500 Internal Server Error";
            body = "<html>tile renderer failed</html>";
        } else if (reply == Reply::Big) {
            body = BigBody();
        } else {
            body = Tile(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: image/png\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QThread thread_;
    QObject context_;
    std::unique_ptr<QTcpServer> server_;
    quint16 port_ = 0;
    mutable QMutex mutex_;
    QHash<QString, Reply> replies_;
    QStringList requests_;
};
