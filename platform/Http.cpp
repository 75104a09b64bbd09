#include "platform/Http.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "platform/SafeFile.h"

#include <algorithm>
#include <functional>

namespace {

QNetworkRequest freshRequest(const QString& url, int timeoutMs) {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QtHttp::AgentName);
    // Always from the server: a cached list or archive would offer an old version.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(timeoutMs);
    return request;
}

// Runs one GET to its end, or aborts it after `overallMs` however much it still receives,
// and at once when the server announces a body longer than `maxBytes`. `chunk` gets every
// piece of the body as it arrives and answers false to abort the transfer. The event loop
// keeps painting but holds user input back.
void runGet(const QString& url, int timeoutMs, int overallMs, qint64 maxBytes,
            const std::function<bool(const QByteArray&)>& chunk,
            const std::function<void(QNetworkReply&)>& done) {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkReply* reply = manager.get(freshRequest(url, timeoutMs));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > maxBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (!chunk(reply->readAll()))
            reply->abort();
    });
    QTimer overall;
    overall.setSingleShot(true);
    QObject::connect(&overall, &QTimer::timeout, reply, &QNetworkReply::abort);
    overall.start(overallMs);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (reply->isOpen() && reply->error() == QNetworkReply::NoError) {
        const QByteArray rest = reply->readAll();
        if (!rest.isEmpty())
            chunk(rest);
    }
    done(*reply);
    delete reply;
}

// True when the server sent a whole answer, be it a page or an error page; false when the
// connection failed, timed out or broke off.
bool serverAnswered(const QNetworkReply& reply) {
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return false;
    const int e = reply.error();
    return e == QNetworkReply::NoError ||
           (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
}

} // namespace

QString QtHttp::OpenURL(const QString& url) {
    QByteArray body;
    bool tooBig = false;
    runGet(
        url, m_timeoutMs, std::min(m_overallMs, TextOverallMs), MaxTextBytes,
        [&](const QByteArray& piece) {
            if (body.size() + piece.size() > MaxTextBytes) {
                tooBig = true;
                return false;
            }
            body += piece;
            return true;
        },
        [&](QNetworkReply& reply) {
            // An error page is a body too; only a transfer that broke off yields nothing.
            if (tooBig || !serverAnswered(reply))
                body.clear();
        });
    // The server's bytes one to one, as the program's other text files are read.
    return QString::fromLatin1(body);
}

bool QtHttp::DownloadFile(const QString& url, const QString& fileName) {
    // Written beside the target and put in place only when complete.
    SafeFile file(fileName);
    if (!file.open())
        return false;
    qint64 received = 0;
    bool ok = false;
    runGet(
        url, m_timeoutMs, m_overallMs, m_maxDownloadBytes,
        [&](const QByteArray& piece) {
            received += piece.size();
            return received <= m_maxDownloadBytes && file.file().write(piece) == piece.size();
        },
        [&](QNetworkReply& reply) {
            const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
            ok = reply.error() == QNetworkReply::NoError && status == 200 && received <= m_maxDownloadBytes &&
                 (!announced.isValid() || announced.toLongLong() == received);
        });
    return ok && file.commit();
}
