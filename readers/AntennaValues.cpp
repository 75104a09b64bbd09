#include "readers/AntennaValues.h"

#include "core/Convert.h"

#include <cmath>

namespace AntennaValues {

QString LocalNumberText(double value, const QLocale& locale) {
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString MilliwattText(int sliderValue, const QLocale& locale) {
    const double dbm = sliderValue * 0.25;
    const double milliwatts = std::pow(10.0, dbm / 10.0);
    return LocalNumberText(Convert::Val(LocalNumberText(milliwatts, locale)), locale);
}

QString PowerToolTip(int sliderValue, const QLocale& locale) {
    return QStringLiteral("H") + QString::number(sliderValue, 16).toUpper() + QLatin1Char('/') +
           LocalNumberText(sliderValue * 0.25, locale);
}

QString AttenuationText(int quarterDb, const QLocale& locale) {
    return LocalNumberText(quarterDb * 0.25, locale);
}

std::optional<int> QuarterDbOf(const QString& typed, const QLocale& locale) {
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double db = strict.toDouble(typed.trimmed(), &ok);
    if (!ok || !std::isfinite(db) || db < 0 || db > MaxQuarterDb / 4.0)
        return std::nullopt;
    return static_cast<int>(Convert::RoundHalfEven(db * 4));
}

} // namespace AntennaValues
