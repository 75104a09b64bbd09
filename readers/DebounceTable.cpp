#include "readers/DebounceTable.h"

#include "core/Convert.h"

#include <algorithm>
#include <cmath>

std::optional<double> DebounceTable::secondsOf(const QString& text) {
    if (!Convert::IsNumeric(text))
        return std::nullopt;
    const double seconds = Convert::Val(text);
    if (!std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return seconds;
}

bool DebounceTable::isDue(qint64 startnummer, double debounceSeconds, qint32 now, bool alwaysBookZero) const {
    if (!covers(startnummer))
        return false;
    if (alwaysBookZero && startnummer == 0)
        return true;
    const qint32 last = m_lastBook[static_cast<size_t>(startnummer)];
    return last == 0 || static_cast<double>(last) + debounceSeconds < static_cast<double>(now);
}

void DebounceTable::markBooked(qint64 startnummer, qint32 now) {
    if (covers(startnummer))
        m_lastBook[static_cast<size_t>(startnummer)] = now;
}

qint32 DebounceTable::lastBook(qint64 startnummer) const {
    return covers(startnummer) ? m_lastBook[static_cast<size_t>(startnummer)] : 0;
}

void DebounceTable::clear() {
    std::fill(m_lastBook.begin(), m_lastBook.end(), 0);
}
