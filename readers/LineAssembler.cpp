#include "readers/LineAssembler.h"

QStringList LineAssembler::feed(const QString& chunk) {
    m_buffer += chunk;
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
