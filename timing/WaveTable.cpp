#include "timing/WaveTable.h"

#include "core/Convert.h"
#include "core/modChronivo.h"
#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"
#include "results/Cp1252.h"

#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace WaveTable {

namespace {

constexpr qint64 Day = 86400;

// A start number of a wave row, or nothing when the field cannot be one. Numbers above
// MaxStartnummer are kept: such a wave still has a start to count down to.
std::optional<qint32> startnummer(const QString& field) {
    if (const auto n = Convert::WholeNumberWithin(field, 0, std::numeric_limits<qint32>::max()))
        return static_cast<qint32>(*n);
    return std::nullopt;
}

} // namespace

Fields SplitRow(const QString& row) {
    const QStringList f = row.split(';');
    Fields out;
    out.von = f.value(0);
    out.bis = f.value(1);
    out.zeit = f.value(2);
    out.bezeichnung = f.value(3);
    return out;
}

QString JoinRow(const QString& von, const QString& bis, const QString& zeit, const QString& bezeichnung) {
    return von + ";" + bis + ";" + zeit + ";" + bezeichnung;
}

std::optional<Wave> ParseWave(const QString& row) {
    if (row.count(';') < 2)
        return std::nullopt;
    const Fields f = SplitRow(row);
    const std::optional<qint32> von = startnummer(f.von);
    const std::optional<qint32> bis = startnummer(f.bis);
    if (!von || !bis || !Convert::IsValidTimeText(f.zeit))
        return std::nullopt;
    return Wave{*von, *bis, f.zeit, f.bezeichnung};
}

int RowCount(const SettingsStore& settings) {
    const qint64 n = Convert::ValLong(settings.GetSetting(Section, "Rows", "0"));
    return static_cast<int>(std::clamp<qint64>(n, 0, MaxRows));
}

QStringList Rows(const SettingsStore& settings) {
    QStringList rows;
    const int n = RowCount(settings);
    for (int i = 1; i <= n; ++i)
        rows << settings.GetSetting(Section, QString::number(i), "");
    return rows;
}

bool SaveRows(SettingsStore& settings, const QStringList& rows) {
    QList<QPair<QString, QString>> values;
    values.reserve(rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i)
        values.append({QString::number(i + 1), rows[i]});
    values.append({"Rows", QString::number(rows.size())});
    return settings.ReplaceSection(Section, values);
}

void FillStartZeit(const QStringList& rows, std::vector<QString>& startZeit) {
    startZeit.assign(MaxStartnummer + 1, QString());
    for (const QString& row : rows) {
        const std::optional<Wave> wave = ParseWave(row);
        if (!wave)
            continue;
        for (qint32 n = wave->von; n <= std::min<qint32>(wave->bis, MaxStartnummer); ++n)
            startZeit[static_cast<size_t>(n)] = wave->zeit;
    }
}

QStringList StampWave(const QStringList& rows, const QString& bezeichnung, const QString& zeit) {
    QStringList out = rows;
    for (QString& row : out) {
        QStringList f = row.split(';');
        if (f.size() < 3 || f.value(3) != bezeichnung)
            continue;
        f[2] = zeit;
        row = f.join(';');
    }
    return out;
}

GenerateCheck Generate(const QString& from, const QString& to, const QString& perWave, const QString& time,
                       const QString& seconds, const std::function<void(const GeneratedRow&)>& row) {
    constexpr qint64 LongMin = std::numeric_limits<qint32>::min();
    constexpr qint64 LongMax = std::numeric_limits<qint32>::max();
    const qint64 first = Convert::WholeNumber(from, LongMin, LongMax);
    const qint64 last = Convert::WholeNumber(to, LongMin, LongMax);
    const qint64 step = Convert::WholeNumber(perWave, LongMin, LongMax);
    const qint64 interval = Convert::WholeNumber(seconds, -32768, 32767);
    if (first > last)
        return GenerateCheck::FieldsWrong;
    if (time.size() != 8 || !Convert::IsValidTimeText(time))
        return GenerateCheck::TimeInvalid;
    if (step == 0)
        throw RuntimeError(11, "Division durch Null");
    // A negative count, or so many waves that the grid would drown, is a typing mistake.
    if (step < 0 || (last - first) / step + 1 > MaxRows)
        return GenerateCheck::FieldsWrong;

    qint64 t = Convert::TimeOfDay(time).msecsSinceStartOfDay() / 1000;
    // The number of passes is taken from the last number alone, rounded to the nearest whole.
    const qint64 passes = std::llround(static_cast<double>(last) / static_cast<double>(step));
    qint64 c = first;
    for (qint64 r = 0; r <= passes; ++r) {
        GeneratedRow g;
        g.von = static_cast<qint32>(c);
        g.bis = static_cast<qint32>(std::min(c + step - 1, last));
        g.zeit = modChronivo::SecondsToTimeString(static_cast<qint32>(t));
        row(g);
        c += step;
        if (c > last)
            break;
        t = ((t + interval) % Day + Day) % Day;
    }
    return GenerateCheck::Generated;
}

TableFile ReadTableFile(const QByteArray& content) {
    TableFile out;
    // A table saved by a spreadsheet or editor as UTF-8 starts with a byte order mark, which
    // would glue itself to the first start number and cost that wave its start times.
    QByteArray bytes = content;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const bool isUtf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    QList<QByteArray> lines = bytes.split('\n');
    // Text after the last line end is a line; an empty piece after it is not.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QString text = isUtf8 ? QString::fromUtf8(line) : Cp1252::Decode(line);
        if (!Convert::IsValidTimeText(SplitRow(text).zeit))
            ++out.withoutTime;
        else if (out.rows.size() >= MaxRows)
            ++out.beyondRowLimit;
        else
            out.rows << text;
    }
    return out;
}

int FirstUnwritableRow(const QStringList& rows) {
    for (int i = 0; i < rows.size(); ++i)
        if (Cp1252::Decode(Cp1252::Encode(rows[i])) != rows[i])
            return i;
    return -1;
}

QByteArray TableFileContent(const QStringList& rows) {
    QByteArray out;
    for (const QString& row : rows)
        out += Cp1252::Encode(row) + "\r\n";
    return out;
}

} // namespace WaveTable
