#include "readers/LineAssembler.h"

namespace {

bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

enum class Frame { Complete, Incomplete, Invalid };

// Whether a frame starts at `at` ("S" already seen there). A complete frame sets `payloadEnd`
// to the index of its line end and `end` behind that line end. A line end inside the payload
// makes the frame invalid at once, so a cut telegram followed by its CR is dropped without
// waiting for more text. `lineEnd` is the first line end at or after at + 3 (or the size): the
// caller moves it only forward, so garbage full of frame starts costs no more than the rest.
Frame checkFrame(const QString& text, qsizetype at, qsizetype lineEnd, qsizetype& payloadEnd,
                 qsizetype& end) {
    const qsizetype size = text.size();
    int length = 0;
    for (qsizetype i = at + 1; i < at + 3; ++i) {
        if (i >= size)
            return Frame::Incomplete;
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            return Frame::Invalid;
        length = length * 16 + digit;
    }
    payloadEnd = at + 3 + length;
    if (lineEnd < payloadEnd && lineEnd < size)
        return Frame::Invalid;
    if (payloadEnd >= size)
        return Frame::Incomplete;
    if (!isLineEnd(text.at(payloadEnd)))
        return Frame::Invalid;
    end = payloadEnd + 1;
    if (text.at(payloadEnd) == QLatin1Char('\r') && end < size && text.at(end) == QLatin1Char('\n'))
        ++end;
    return Frame::Complete;
}

} // namespace

LineAssembler::Fed LineAssembler::feed(QStringView chunk, qint64 nowMs) {
    Fed fed;
    if (!m_buffer.isEmpty() && nowMs - m_lastArrival > StaleMs) {
        drop(fed, Drop::Stale, m_buffer);
        m_buffer.clear();
    }
    if (m_skippingLine && nowMs - m_lastArrival > StaleMs)
        m_skippingLine = false;
    m_lastArrival = nowMs;
    const qsizetype scanFrom = m_buffer.size();
    m_buffer += chunk;
    if (m_ending == Ending::NativeCr)
        feedFrames(fed);
    else
        feedLines(fed, scanFrom);
    return fed;
}

void LineAssembler::clear() {
    m_buffer.clear();
    m_skippingLine = false;
}

void LineAssembler::feedFrames(Fed& fed) {
    // What waits here is at most one unfinished frame (under 260 characters), so looking at it
    // again with every chunk keeps the work proportional to the chunk.
    const qsizetype size = m_buffer.size();
    qsizetype pos = 0;
    qsizetype junkFrom = -1;
    qsizetype keepFrom = size;
    qsizetype lineEnd = 0;
    const auto flushJunk = [&](qsizetype to) {
        if (junkFrom >= 0)
            drop(fed, Drop::Junk, QStringView(m_buffer).mid(junkFrom, to - junkFrom));
        junkFrom = -1;
    };
    while (pos < size) {
        const QChar c = m_buffer.at(pos);
        if (c == QLatin1Char('S')) {
            if (lineEnd < pos + 3)
                lineEnd = pos + 3;
            while (lineEnd < size && !isLineEnd(m_buffer.at(lineEnd)))
                ++lineEnd;
            qsizetype payloadEnd = 0;
            qsizetype end = 0;
            const Frame frame = checkFrame(m_buffer, pos, lineEnd, payloadEnd, end);
            if (frame == Frame::Complete) {
                flushJunk(pos);
                fed.units << m_buffer.mid(pos, payloadEnd - pos) + QLatin1Char('\r');
                pos = end;
                continue;
            }
            if (frame == Frame::Incomplete) {
                keepFrom = pos;
                break;
            }
        } else if (junkFrom < 0 && isLineEnd(c)) {
            // A line end between frames (the LF of LF CR, an empty line) is no junk.
            ++pos;
            continue;
        }
        if (junkFrom < 0)
            junkFrom = pos;
        ++pos;
    }
    flushJunk(keepFrom);
    m_buffer.remove(0, keepFrom);
}

void LineAssembler::feedLines(Fed& fed, qsizetype scanFrom) {
    // Only the new text is searched: what waited had no line end.
    qsizetype start = 0;
    for (qsizetype i = scanFrom; i < m_buffer.size(); ++i) {
        if (!isLineEnd(m_buffer.at(i)))
            continue;
        if (m_skippingLine) {
            m_skippingLine = false;
        } else if (i - start > MaxPending) {
            drop(fed, Drop::Overlong, QStringView(m_buffer).mid(start, i - start));
        } else if (i > start) {
            fed.units << m_buffer.mid(start, i - start);
        }
        start = i + 1;
    }
    if (m_skippingLine) {
        m_buffer.clear();
        return;
    }
    m_buffer.remove(0, start);
    if (m_buffer.size() > MaxPending) {
        drop(fed, Drop::Overlong, m_buffer);
        m_buffer.clear();
        m_skippingLine = true;
    }
}

void LineAssembler::drop(Fed& fed, Drop why, QStringView text) {
    fed.dropped.push_back({why, text.size(), text.left(SampleChars).toString()});
}
