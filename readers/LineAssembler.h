#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <vector>

// Cuts a received stream into the units the consoles handle, whatever the chunking: a unit
// that arrives in pieces is put together, several units in one chunk come out one by one, in
// order, and an unfinished unit waits for the next chunk. What cannot be a unit is dropped and
// reported, never glued to the next one: text that fits no frame, a fragment the peer left
// standing for more than StaleMs, a line longer than MaxPending. The work per chunk is
// proportional to the chunk.
class LineAssembler final {
public:
    enum class Ending {
        // Native reader frames: "S", the payload length as two hex digits, the payload, then
        // CR, LF or CR LF. A unit is the frame ended by one CR, which the ID cut drops.
        NativeCr,
        // Text lines: CR, LF or CR LF ends a line and is not part of it; blank lines carry no
        // read and are no units.
        AnyLine,
    };

    enum class Drop {
        Junk,     // text in front of a frame start or not fitting its frame's length
        Stale,    // a fragment that waited longer than StaleMs for its end
        Overlong, // a line (or what stood of it) longer than MaxPending
    };
    struct Dropped {
        Drop why;
        qsizetype length; // characters dropped
        QString start;    // the first SampleChars of them
    };
    struct Fed {
        QStringList units;
        std::vector<Dropped> dropped;
    };

    // A telegram is under 100 characters; this leaves room for any reply a reader sends.
    static constexpr qsizetype MaxPending = 64 * 1024;
    static constexpr qint64 StaleMs = 1000;
    static constexpr qsizetype SampleChars = 120;

    explicit LineAssembler(Ending ending) : m_ending(ending) {}

    // The units the chunk completes, in order, and what had to be dropped. nowMs is the
    // moment the chunk arrived, in milliseconds of any steady count.
    Fed feed(QStringView chunk, qint64 nowMs);
    // Received text that no line end has closed yet.
    const QString& pending() const { return m_buffer; }
    // Forgets a broken unit, e.g. when the link ends in the middle of one.
    void clear();
    // The pending fragment's wait for its end starts anew at nowMs: the receiver held the
    // link back, so the time that passed is not the peer's.
    void restartWait(qint64 nowMs) { m_lastArrival = nowMs; }

private:
    void feedFrames(Fed& fed);
    void feedLines(Fed& fed, qsizetype scanFrom);
    void drop(Fed& fed, Drop why, QStringView text);

    Ending m_ending;
    QString m_buffer;
    qint64 m_lastArrival = 0;
    // The rest of an overlong line is dropped up to its line end.
    bool m_skippingLine = false;
};
