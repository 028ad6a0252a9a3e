#include "map/COSMCtrlInternetSession.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int kCancelPollMs = 20;

} // namespace

COSMCtrlInternetSession::COSMCtrlInternetSession(QString agentName)
    : agentName_(std::move(agentName))
    , buffer_(kBufferBytes, '\0')
{
}

COSMCtrlInternetSession::~COSMCtrlInternetSession() = default;

COSMCtrlInternetSession::Transfer COSMCtrlInternetSession::Fetch(const QString& url, qsizetype maxBytes,
                                                                 const std::atomic<bool>* cancel)
{
    Transfer transfer;
    const QUrl address(url, QUrl::StrictMode);
    if (!address.isValid() || address.scheme() != QLatin1String("http")) {
        return transfer;
    }
    if (!manager_) {
        // Made on first use so that it lives in the thread that uses the session.
        manager_ = std::make_unique<QNetworkAccessManager>();
    }
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::UserAgentHeader, agentName_);
    request.setTransferTimeout(transferTimeoutMs_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    std::unique_ptr<QNetworkReply> reply(manager_->get(request));
    QEventLoop loop;
    bool full = false;
    bool cancelled = false;
    char* const buffer = buffer_.data();
    auto drain = [&] {
        while (!full && reply->bytesAvailable() > 0) {
            const qint64 got = reply->read(buffer + transfer.size, maxBytes - transfer.size);
            if (got <= 0) {
                break;
            }
            transfer.size += got;
            if (transfer.size >= maxBytes) {
                full = true;
            }
        }
        if (full && reply->isRunning()) {
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    if (cancel != nullptr) {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (cancel->load()) {
                cancelled = true;
                reply->abort();
            }
        });
        poll.start(kCancelPollMs);
    }
    if (!reply->isFinished()) {
        loop.exec();
    }
    poll.stop();
    drain();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    transfer.status = status.isValid() ? status.toInt() : 0;
    transfer.complete = !cancelled && (full || reply->error() == QNetworkReply::NoError);
    return transfer;
}

QByteArray COSMCtrlInternetSession::DownloadTile(const QString& url, const std::atomic<bool>* cancel)
{
    const Transfer t = Fetch(url, kMaxTileBytes, cancel);
    // An error page or a half-received tile must never be cached as the tile: it would stay.
    if (!t.complete || t.status < 200 || t.status > 299 || t.size <= 0) {
        return QByteArray();
    }
    return QByteArray(buffer_.constData(), t.size);
}

bool COSMCtrlInternetSession::OpenPage(const QString& url)
{
    return Fetch(url, 1, nullptr).status > 0;
}
