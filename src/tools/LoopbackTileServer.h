#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QTcpServer;
class QTcpSocket;

// An HTTP tile server on 127.0.0.1 for looking at the map without the public server: answers
// GET /Z/X/Y.png with LoopbackTilePicture's tile, GET / with a short page (the availability
// check) and anything else with 404. Runs in the thread that made it, on its event loop.
class LoopbackTileServer : public QObject {
    Q_OBJECT
public:
    // Requests larger than this are not HTTP requests for a tile.
    static constexpr int kMaxRequestBytes = 8192;

    explicit LoopbackTileServer(QObject* parent = nullptr);
    ~LoopbackTileServer() override;

    // Port 0 picks a free port. False when the port cannot be had.
    bool Listen(quint16 port);
    quint16 Port() const;
    QString ErrorString() const;

    // Called for every answered request: method and path, and the status sent.
    void SetRequestLog(std::function<void(const QString& path, int status)> log) { log_ = std::move(log); }

    // The status and body the server answers a path with.
    static int Answer(const QString& path, QByteArray& body, QByteArray& contentType);

private:
    void OnConnection();
    void OnReadable(QTcpSocket* socket);

    QTcpServer* server_;
    QHash<QTcpSocket*, QByteArray> pending_;
    std::function<void(const QString&, int)> log_;
};
