#include "readers/LineAssembler.h"

QStringList LineAssembler::feed(const QString& chunk) {
    m_buffer += chunk;
    if (m_ending == Ending::AnyLine)
        return feedAnyLine();
    const QString terminator = m_ending == Ending::CrLf ? QStringLiteral("\r\n") : QStringLiteral("\r");
    const bool keepTerminator = m_ending == Ending::NativeCr;
    QStringList units;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_buffer.indexOf(terminator, start);
        if (end < 0)
            break;
        qsizetype from = start;
        // With CR as the line end, the LF that many devices send after it belongs to no unit.
        if (m_ending != Ending::CrLf && from < end && m_buffer.at(from) == QLatin1Char('\n'))
            ++from;
        const qsizetype length = end - from + (keepTerminator ? terminator.size() : 0);
        units << m_buffer.mid(from, length);
        start = end + terminator.size();
    }
    if (start > 0)
        m_buffer.remove(0, start);
    return units;
}

QStringList LineAssembler::feedAnyLine() {
    QStringList units;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_buffer.size(); ++i) {
        const QChar c = m_buffer.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        // An empty line carries no read; the LF of a CR LF split over two chunks is one.
        if (i > start)
            units << m_buffer.mid(start, i - start);
        start = i + 1;
    }
    m_buffer.remove(0, start);
    return units;
}
