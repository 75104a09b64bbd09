#pragma once

#include <QString>

class QNetworkReply;

// Plain HTTP as the update check needs it: a whole body as text, and a file download.
// Both wait for the answer while the user-interface thread goes on with its events, user
// input included, so that the window waiting for it can still be closed and abort() the
// request; that window keeps its own way to a second request shut meanwhile.
class Http {
public:
    virtual ~Http() = default;

    // The whole body of the URL as text, whatever the status (a server's error page is
    // returned like any other body); "" when nothing could be read, the server did not
    // answer in time, or the body grew beyond a sane size for a text.
    virtual QString OpenURL(const QString& url) = 0;

    // Downloads the URL into the file. True only for a complete answer with status 200 whose
    // length matches the announced one; otherwise the file is left as it was before and
    // `error`, when given, says in German why the download failed.
    virtual bool DownloadFile(const QString& url, const QString& fileName, QString* error = nullptr) = 0;

    // Ends the request in progress at once, as failed; nothing when none runs.
    virtual void abort() = 0;
};

// HTTP over QNetworkAccessManager, bypassing every cache and proxy.
class QtHttp final : public Http {
public:
    // A request ends when no byte arrived for `timeoutMs`, or when it took `overallMs` in all;
    // a download ends unfinished when it would exceed `maxDownloadBytes`.
    explicit QtHttp(int timeoutMs = DefaultTimeoutMs, int overallMs = DefaultOverallMs,
                    qint64 maxDownloadBytes = MaxDownloadBytes)
        : m_timeoutMs(timeoutMs), m_overallMs(overallMs), m_maxDownloadBytes(maxDownloadBytes) {}

    QString OpenURL(const QString& url) override;
    bool DownloadFile(const QString& url, const QString& fileName, QString* error = nullptr) override;
    void abort() override;

    static constexpr int DefaultTimeoutMs = 30000;
    // Even a slow line brings a program of tens of megabytes in well under this.
    static constexpr int DefaultOverallMs = 10 * 60 * 1000;
    // The version list is a few lines: it gets at most this long in all.
    static constexpr int TextOverallMs = 60 * 1000;
    // A program archive is tens of megabytes; far more is not one.
    static constexpr qint64 MaxDownloadBytes = qint64(300) << 20;
    // The version list is a few lines; anything far bigger is not one.
    static constexpr qint64 MaxTextBytes = 1 << 20;
    static constexpr const char* AgentName = "VB OpenUrl";

private:
    int m_timeoutMs;
    int m_overallMs;
    qint64 m_maxDownloadBytes;
    // The request in progress, owned by the call that waits for it.
    QNetworkReply* m_running = nullptr;
    bool m_aborted = false;
};
