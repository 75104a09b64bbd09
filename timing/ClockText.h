#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The texts the main window's clocks show and the display boards receive. Every time here is
// a time of day "hh:nn:ss"; dates play no part, so a run that crosses midnight gives a
// negative race clock.
namespace ClockText {

// Whole seconds from one time of day to another (negative when `to` is earlier in the day);
// nothing when either text is no time of day.
std::optional<qint32> SecondsBetween(const QString& from, const QString& to);

// The race clock from the start display to the clock display, as "hh:nn:ss" with unlimited
// hours and signed fields when negative; "" when either display holds no time.
QString RaceClock(const QString& startText, const QString& clockText);

// True when a wave's start time lies before the clock. A wave without a readable start time
// counts as started, so its button is never offered for stamping.
bool WaveHasStarted(const QString& waveStart, const QString& clockText);

// The board's blink rule: with blinking on and an odd second (characters 7-8), the colons
// are left out ("14:05:07" becomes "140507"); otherwise the text is unchanged.
QString ApplyBlink(const QString& clockText, bool blink);

// One line for a display board: the text after the blink rule, then CR LF.
QByteArray BoardLine(const QString& clockText, bool blink);

} // namespace ClockText
