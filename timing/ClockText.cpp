#include "timing/ClockText.h"

#include "core/Convert.h"
#include "core/modChronivo.h"

#include <QTime>

namespace ClockText {

std::optional<qint32> SecondsBetween(const QString& from, const QString& to) {
    const QTime a = Convert::TimeOfDay(from);
    const QTime b = Convert::TimeOfDay(to);
    if (!a.isValid() || !b.isValid())
        return std::nullopt;
    return a.secsTo(b);
}

QString RaceClock(const QString& startText, const QString& clockText) {
    const std::optional<qint32> seconds = SecondsBetween(startText, clockText);
    return seconds ? modChronivo::SecondsToTimeString(*seconds) : QString();
}

bool WaveHasStarted(const QString& waveStart, const QString& clockText) {
    const std::optional<qint32> seconds = SecondsBetween(waveStart, clockText);
    return !seconds || *seconds > 0;
}

QString ApplyBlink(const QString& clockText, bool blink) {
    if (!blink)
        return clockText;
    const auto second = static_cast<qint64>(Convert::Val(clockText.mid(6, 2)));
    if (second % 2 == 0)
        return clockText;
    return clockText.mid(0, 2) + clockText.mid(3, 2) + clockText.mid(6, 2);
}

QByteArray BoardLine(const QString& clockText, bool blink) {
    return ApplyBlink(clockText, blink).toLatin1() + "\r\n";
}

} // namespace ClockText
