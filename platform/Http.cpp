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

const QString TooBigText = QStringLiteral("die Datei ist größer als erlaubt");

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
// and at once when the server announces a body longer than `maxBytes`; `stopped` then says
// why. `chunk` gets every piece of the body as it arrives and answers false to abort the
// transfer. `running` points at the request while it runs, so that it can be aborted from a
// handler of the events this waiting goes on delivering.
void runGet(const QString& url, int timeoutMs, int overallMs, qint64 maxBytes, QNetworkReply*& running,
            QString& stopped, const std::function<bool(const QByteArray&)>& chunk,
            const std::function<void(QNetworkReply&)>& done) {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkReply* reply = manager.get(freshRequest(url, timeoutMs));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > maxBytes) {
            stopped = TooBigText;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (!chunk(reply->readAll()))
            reply->abort();
    });
    QTimer overall;
    overall.setSingleShot(true);
    QObject::connect(&overall, &QTimer::timeout, reply, [&] {
        stopped = QStringLiteral("die Übertragung dauerte zu lange");
        reply->abort();
    });
    overall.start(overallMs);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    running = reply;
    if (!reply->isFinished())
        loop.exec();
    running = nullptr;
    if (reply->isOpen() && reply->error() == QNetworkReply::NoError) {
        const QByteArray rest = reply->readAll();
        if (!rest.isEmpty())
            chunk(rest);
    }
    done(*reply);
    delete reply;
}

// Why a finished reply brought no complete file; "" when it did.
QString downloadFailure(const QNetworkReply& reply, qint64 received) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    switch (reply.error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("der Server nimmt keine Verbindung an");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("der Server %1 ist nicht zu finden").arg(reply.url().host());
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("der Server hat die Verbindung vorzeitig beendet");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("der Server antwortet nicht mehr");
    default:
        if (!status.isValid())
            return QStringLiteral("Netzwerkfehler (%1)").arg(reply.errorString());
        break;
    }
    if (status.toInt() != 200)
        return QStringLiteral("der Server antwortet mit Status %1").arg(status.toInt());
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() != received)
        return QStringLiteral("die Datei kam unvollständig an (%1 von %2 Bytes)")
            .arg(received)
            .arg(announced.toLongLong());
    return {};
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
    QString stopped;
    m_aborted = false;
    runGet(
        url, m_timeoutMs, std::min(m_overallMs, TextOverallMs), MaxTextBytes, m_running, stopped,
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

bool QtHttp::DownloadFile(const QString& url, const QString& fileName, QString* error) {
    // Written beside the target and put in place only when complete.
    SafeFile file(fileName);
    QString why;
    m_aborted = false;
    if (!file.open()) {
        why = QStringLiteral("die Datei %1 lässt sich nicht anlegen (%2)").arg(fileName, file.errorString());
    } else {
        qint64 received = 0;
        runGet(
            url, m_timeoutMs, m_overallMs, m_maxDownloadBytes, m_running, why,
            [&](const QByteArray& piece) {
                received += piece.size();
                if (received > m_maxDownloadBytes)
                    why = TooBigText;
                else if (file.file().write(piece) != piece.size())
                    why = QStringLiteral("die Datei %1 lässt sich nicht schreiben").arg(fileName);
                return why.isEmpty();
            },
            [&](QNetworkReply& reply) {
                if (m_aborted)
                    why = QStringLiteral("der Download wurde abgebrochen");
                else if (why.isEmpty())
                    why = downloadFailure(reply, received);
            });
        if (why.isEmpty() && !file.commit())
            why = QStringLiteral("die Datei %1 lässt sich nicht speichern (%2)")
                      .arg(fileName, file.errorString());
    }
    if (error)
        *error = why;
    return why.isEmpty();
}

void QtHttp::abort() {
    if (!m_running)
        return;
    m_aborted = true;
    m_running->abort();
}
