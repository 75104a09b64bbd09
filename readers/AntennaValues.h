#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The antenna tab's numbers as the timekeeper sees and types them: power in steps of 0.25 dBm
// (slider 68 to 132, 17 to 33 dBm) and attenuation in steps of 0.25 dB (0 to 255 quarters,
// 0 to 63.75 dB), written with the system's decimal separator.
namespace AntennaValues {

inline constexpr int MaxQuarterDb = 255;

// A number with up to 15 significant digits, no group separators, the locale's decimal
// separator: 17.25 gives "17,25" on a German system.
QString LocalNumberText(double value, const QLocale& locale = QLocale());

// The milliwatts of a slider value, 10^(value / 40). The local text is read back by a reading
// that takes only a point as decimal separator, so under a decimal comma the fraction is cut
// (68 gives "50", 132 gives "1995"); under a decimal point the whole value shows.
QString MilliwattText(int sliderValue, const QLocale& locale = QLocale());

// "H", the value in upper-case hex, "/" and the dBm: 69 gives "H45/17,25".
QString PowerToolTip(int sliderValue, const QLocale& locale = QLocale());

// Quarter dB as dB: 255 gives "63,75".
QString AttenuationText(int quarterDb, const QLocale& locale = QLocale());

// Typed dB in the local notation to quarter dB, rounded half to even: "0,25" gives 1, "10"
// gives 40. Nothing for an empty box, text that is no number there (group separators
// included), or a value outside 0 to 63.75 dB.
std::optional<int> QuarterDbOf(const QString& typed, const QLocale& locale = QLocale());

} // namespace AntennaValues
