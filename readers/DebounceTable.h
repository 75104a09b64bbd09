#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// When each start number was last booked by one console, in VbTimeToNetTime seconds (0 =
// never), for start numbers 0 to 10000. A start number is booked again only when its last
// booking plus the debounce time lies strictly before now.
class DebounceTable final {
public:
    static constexpr qint64 MaxStartnummer = 10000;

    DebounceTable() : m_lastBook(MaxStartnummer + 1, 0) {}

    static bool covers(qint64 startnummer) { return startnummer >= 0 && startnummer <= MaxStartnummer; }

    // A debounce time as typed: a number from 0 seconds on. Nothing for anything else (an
    // empty text, a decimal comma, a negative or endless value).
    static std::optional<double> secondsOf(const QString& text);

    // Only for start numbers the table covers.
    bool isDue(qint64 startnummer, double debounceSeconds, qint32 now, bool alwaysBookZero) const;
    void markBooked(qint64 startnummer, qint32 now);
    qint32 lastBook(qint64 startnummer) const;
    void clear();

private:
    std::vector<qint32> m_lastBook;
};
