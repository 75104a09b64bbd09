#include "readers/CommandFrame.h"

#include "core/Convert.h"
#include "readers/TagReadTelegram.h"

namespace CommandFrame {

namespace {

QString hexByte(int value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

bool isHex(const QString& text) {
    for (const QChar c : text)
        if (!(c.isDigit() || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return !text.isEmpty();
}

bool isDigits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

QString withoutLeadingZeros(QString digits) {
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits.remove(0, 1);
    return digits;
}

const QStringList& registers() {
    static const QStringList names{"6A", "6B", "6C", "6D", "6E", "6F", "70", "71"};
    return names;
}

} // namespace

std::optional<QString> Frame(const QString& command) {
    if (command.size() > MaxCommandLength)
        return std::nullopt;
    return QLatin1Char('S') + hexByte(static_cast<int>(command.size())) + command + QLatin1Char('\r');
}

QString SetClockCommand(const QDateTime& localNow) {
    return QStringLiteral("UPT0") + TagReadTelegram::ReadTimeHex(TagReadTelegram::VbTimeToNetTime(localNow));
}

QStringList RegisterReads() {
    QStringList reads;
    for (const QString& r : registers())
        reads << QStringLiteral("F0") + r;
    return reads;
}

QString PowerCommand(int antenna, bool inUse, int sliderValue) {
    return QStringLiteral("P0") + registers().at(antenna) +
           (inUse ? hexByte(sliderValue) : QStringLiteral("00"));
}

QString AttenuationCommand(int antenna, int quarterDb) {
    return QStringLiteral("P0") + registers().at(antenna + 4) + hexByte(quarterDb);
}

std::optional<QString> TagWriteCommand(const QString& antenna, const QString& startnummer) {
    QString digits = startnummer.trimmed();
    if (!isDigits(digits))
        return std::nullopt;
    digits = withoutLeadingZeros(digits);
    constexpr int Width = 24;
    if (digits.size() > Width)
        return std::nullopt;
    return QStringLiteral("W0") + antenna + QStringLiteral("000000000") + QLatin1Char('6') +
           digits.rightJustified(Width, QLatin1Char('0'));
}

QString NextNumberText(const QString& number) {
    QString digits = number.trimmed();
    if (!isDigits(digits))
        return Convert::NumberText(Convert::Val(number) + 1);
    int i = static_cast<int>(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return withoutLeadingZeros(digits);
}

bool IsWrittenTag(const QString& id, const QString& number) {
    const QString written = number.trimmed();
    return isDigits(id) && isDigits(written) && withoutLeadingZeros(id) == withoutLeadingZeros(written);
}

std::optional<RegisterReply> ParseRegisterReply(const QString& line) {
    if (line.size() < 9 || line[3] != QLatin1Char('f'))
        return std::nullopt;
    const int index = static_cast<int>(registers().indexOf(line.mid(5, 2)));
    const QString value = line.mid(7, 2);
    if (index < 0 || !isHex(value))
        return std::nullopt;
    return RegisterReply{index % 4, index < 4, value.toInt(nullptr, 16)};
}

std::optional<QDateTime> ParseClockReply(const QString& reply) {
    const QString clock = reply.mid(7, 8);
    if (!reply.contains(QLatin1String("ugt"), Qt::CaseInsensitive) || clock.size() != 8 || !isHex(clock))
        return std::nullopt;
    return TagReadTelegram::DecodeReadTimeHex(clock);
}

} // namespace CommandFrame
