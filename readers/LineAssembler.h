#pragma once

#include <QString>
#include <QStringList>

// Cuts a received stream into the units the consoles handle, whatever the chunking: a unit
// that arrives in pieces is put together, several units in one chunk come out one by one, in
// order, and the text after the last line end waits for the next chunk.
class LineAssembler final {
public:
    enum class Ending {
        NativeCr, // the unit ends with CR and keeps it: the ID cut of native telegrams drops it
        CrLf,     // Motorola bridge lines: CR LF ends a unit and is not part of it
        Cr,       // serial lines: CR ends a unit and is not part of it
        AnyLine,  // Mercury-line bridge lines: CR LF, LF or CR ends a unit, as the bridge's
                  // runtime writes its line end; blank lines carry no read and are no units
    };

    explicit LineAssembler(Ending ending) : m_ending(ending) {}

    // Every unit the chunk completes, in order.
    QStringList feed(const QString& chunk);
    // Received text that no line end has closed yet.
    const QString& pending() const { return m_buffer; }
    // Forgets a broken unit, e.g. when the link ends in the middle of one.
    void clear() { m_buffer.clear(); }

private:
    QStringList feedAnyLine();

    Ending m_ending;
    QString m_buffer;
};
