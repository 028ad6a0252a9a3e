#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>

class QNetworkAccessManager;

// Plain HTTP for the map: tile downloads on the worker thread and the availability check.
// Calls block the calling thread; a session is used only by the thread that made it.
class COSMCtrlInternetSession {
public:
    // The whole tile is held in one fixed buffer of 640 KB; at most one byte less is read.
    static constexpr qsizetype kBufferBytes = 655360;
    static constexpr qsizetype kMaxTileBytes = 0x9FFFF;
    static constexpr int kDefaultTransferTimeoutMs = 30000;

    explicit COSMCtrlInternetSession(QString agentName);
    ~COSMCtrlInternetSession();
    COSMCtrlInternetSession(const COSMCtrlInternetSession&) = delete;
    COSMCtrlInternetSession& operator=(const COSMCtrlInternetSession&) = delete;

    // A transfer that moves no byte for this long is given up.
    void SetTransferTimeout(int milliseconds) { transferTimeoutMs_ = milliseconds; }

    // The body of a successful (2xx) response, cut at kMaxTileBytes. No connection, an HTTP
    // error status, a broken transfer, a timeout or a raised cancel flag yield 0 bytes.
    QByteArray DownloadTile(const QString& url, const std::atomic<bool>* cancel = nullptr);

    // Whether the page opens: the server answers with any HTTP response.
    bool OpenPage(const QString& url);

private:
    struct Transfer {
        int status = 0;       // HTTP status, 0 when no response came
        bool complete = false; // body read to its end or to the buffer's limit
        qsizetype size = 0;
    };
    Transfer Fetch(const QString& url, qsizetype maxBytes, const std::atomic<bool>* cancel);

    QString agentName_;
    int transferTimeoutMs_ = kDefaultTransferTimeoutMs;
    std::unique_ptr<QNetworkAccessManager> manager_;
    QByteArray buffer_;
};
