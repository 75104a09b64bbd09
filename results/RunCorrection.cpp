#include "results/RunCorrection.h"

#include "core/Convert.h"
#include "core/modChronivo.h"
#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/ResultEntry.h"

#include <QTime>

#include <algorithm>
#include <limits>
#include <numeric>
#include <type_traits>

namespace RunCorrection {

namespace {

constexpr long Overflow = 6;

qint32 checked32(qint64 value) {
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw RuntimeError(Overflow, "Überlauf");
    return static_cast<qint32>(value);
}

// Runs work inside a transaction of ws, rolled back when it raises.
template <typename Work> auto inTransaction(Workspace& ws, Work work) {
    ws.BeginTrans();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            ws.CommitTrans();
        } else {
            auto result = work();
            ws.CommitTrans();
            return result;
        }
    } catch (...) {
        if (ws.inTransaction())
            ws.Rollback();
        throw;
    }
}

} // namespace

// ----- a result typed in at a place ---------------------------------------------------------

namespace {

constexpr qint64 Max32 = std::numeric_limits<qint32>::max();
constexpr qint64 Min32 = std::numeric_limits<qint32>::min();

// A number as the query stores it (WholeNumberParameter) lies within [min, max]; text that
// is no number is left to the engine, which refuses it.
bool storedWithin(const QString& text, qint64 min, qint64 max) {
    return !Convert::IsNumeric(text) || Convert::WholeNumberWithin(text, min, max).has_value();
}

} // namespace

bool InsertFieldsValid(const InsertFields& f) {
    bool ok = true;
    if (Convert::Val(f.millSekBrutto) <= 0 || !storedWithin(f.millSekBrutto, 1, Max32))
        ok = false;
    if (Convert::Val(f.platz) <= 0 || !storedWithin(f.platz, 1, ResultEntry::MaxPlatzierung))
        ok = false;
    if (Convert::Val(f.startnummer) < 0 || !storedWithin(f.startnummer, 0, Max32))
        ok = false;
    if (f.zeitBrutto.isEmpty() || !Convert::IsValidTimeText(f.zeitBrutto))
        ok = false;
    // The net time may be left empty, but a number must fit its export field.
    if (!storedWithin(f.millSekNetto, Min32, Max32))
        ok = false;
    return ok;
}

bool FitsField(const QString& field, const QString& text) {
    if (field.compare("Platzierung", Qt::CaseInsensitive) == 0)
        return storedWithin(text, 1, ResultEntry::MaxPlatzierung);
    for (const char* whole : {"Startnummer", "Sekunden", "Millisekunden", "MillisekNetto"})
        if (field.compare(QLatin1String(whole), Qt::CaseInsensitive) == 0)
            return storedWithin(text, Min32, Max32);
    return true;
}

qint32 MillisecondsOfTime(const QString& timeText) {
    const QTime t = Convert::TimeOfDay(timeText);
    if (!t.isValid())
        throw RuntimeError(RuntimeError::TypeMismatch, "Typen unverträglich");
    return t.hour() * 3600000 + t.minute() * 60000 + t.second() * 1000;
}

QVariant WholeNumberParameter(const QString& text) {
    if (text.trimmed().isEmpty())
        return QVariant();
    if (Convert::IsNumeric(text))
        return Convert::RoundHalfEven(Convert::Val(text));
    return text;
}

InsertOutcome InsertAtPlace(Workspace& ws, Database& db, qint32 lauf, const InsertFields& f,
                            const QString& startTime) {
    const QVariant platz = WholeNumberParameter(f.platz);
    return inTransaction(ws, [&] {
        InsertOutcome out;
        QueryDef check = db.QueryDefs("pS_Check_Platzierung");
        check.setParameter("iLaufnummer", lauf);
        check.setParameter("iPlatzierung", platz);
        out.placeTaken = check.OpenRecordset().RecordCount() > 0;
        check.Close();
        if (out.placeTaken) {
            // The last row of the run would move beyond what the export holds: nothing moves.
            if (ResultEntry::NextPlace(db, lauf) > ResultEntry::MaxPlatzierung)
                throw RuntimeError(Overflow, "Überlauf");
            QueryDef move = db.QueryDefs("pU_Platzierung");
            move.setParameter("iLaufnummer", lauf);
            move.setParameter("iPlatzierung", platz);
            move.Execute(dbFailOnError);
            out.moved = move.RecordsAffected();
            move.Close();
        }
        QueryDef ins = db.QueryDefs("pI_Chronvo");
        ins.setParameter("iLaufnummer", lauf);
        ins.setParameter("iStartnummer", WholeNumberParameter(f.startnummer));
        ins.setParameter("iPlatzierung", platz);
        ins.setParameter("iSystemtime", "00:00:00");
        ins.setParameter("iStartTime", startTime);
        ins.setParameter("iSekunden", Convert::Val(f.millSekBrutto) / 1000.0);
        ins.setParameter("iWertungstime", f.zeitBrutto);
        ins.setParameter("iMillisekunden", WholeNumberParameter(f.millSekBrutto));
        ins.setParameter("iZeitNetto", f.zeitNetto);
        ins.setParameter("iMillisekNetto", WholeNumberParameter(f.millSekNetto));
        ins.Execute(dbFailOnError);
        out.inserted = ins.RecordsAffected();
        ins.Close();
        return out;
    });
}

long DeleteRow(Database& db, qint32 lauf, qint64 key) {
    return db.ExecuteSql("DELETE FROM Chronvo WHERE ID = :k AND Laufnummer = :l", {{"k", key}, {"l", lauf}});
}

// ----- start numbers moved one place against the times --------------------------------------

std::vector<qint32> ShiftStartnummern(const std::vector<qint32>& old, Direction direction, int anchor) {
    std::vector<qint32> out = old;
    const int n = static_cast<int>(old.size());
    if (n == 0)
        return out;
    if (direction == Direction::Down) {
        const int from = std::clamp(anchor, 0, n);
        for (int i = from; i < n; ++i)
            out[i] = i == 0 ? 0 : old[i - 1];
    } else {
        const int from = anchor < 0 ? 0 : std::clamp(anchor - 1, 0, n);
        for (int i = from; i < n; ++i)
            out[i] = i == n - 1 ? 0 : old[i + 1];
    }
    return out;
}

StartnummerShift PlanStartnummerShift(const std::vector<GridRow>& rows, Direction direction, int currentRow,
                                      bool rowSelected) {
    StartnummerShift plan;
    const int n = static_cast<int>(rows.size());
    if (n == 0)
        return plan;
    // Place order; rows sharing a place keep the grid's order.
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rows[a].platzierung < rows[b].platzierung; });
    std::vector<qint32> before(n);
    int anchor = -1;
    for (int pos = 0; pos < n; ++pos) {
        before[pos] = rows[order[pos]].startnummer;
        if (rowSelected && order[pos] == currentRow)
            anchor = pos;
    }
    const std::vector<qint32> after = ShiftStartnummern(before, direction, anchor);

    std::vector<qint32> newByGridRow(n);
    // Rows per start number before and after: a number that loses a row is dropped.
    std::map<qint32, int> carried;
    for (int pos = 0; pos < n; ++pos) {
        newByGridRow[order[pos]] = after[pos];
        if (after[pos] != before[pos])
            plan.writes.emplace_back(rows[order[pos]].key, after[pos]);
        ++carried[before[pos]];
        --carried[after[pos]];
    }
    for (const auto& [startnummer, lost] : carried)
        if (startnummer != 0 && lost > 0) {
            plan.dropped = startnummer;
            break;
        }
    plan.currentRowAfter = n - 1;
    if (currentRow >= 0 && currentRow < n) {
        const qint32 s0 = rows[currentRow].startnummer;
        const auto it = std::find(newByGridRow.begin(), newByGridRow.end(), s0);
        if (it != newByGridRow.end())
            plan.currentRowAfter = static_cast<int>(it - newByGridRow.begin());
    }
    return plan;
}

void WriteStartnummern(Workspace& ws, Database& db, const std::vector<std::pair<qint64, qint32>>& writes) {
    if (writes.empty())
        return;
    inTransaction(ws, [&] {
        for (const auto& [key, startnummer] : writes)
            db.ExecuteSql("UPDATE Chronvo SET Startnummer = :v WHERE ID = :k",
                          {{"v", startnummer}, {"k", key}});
    });
}

// ----- gross times moved by some seconds ----------------------------------------------------

int ShiftTimes(Workspace& ws, Database& db, qint32 lauf, qint32 fromMs, qint32 seconds) {
    return inTransaction(ws, [&] {
        QueryDef select = db.QueryDefs("pS_GetAllValues");
        select.setParameter("iLaufnummer", lauf);
        select.setParameter("iMillisekunden", fromMs);
        Recordset rs = select.OpenRecordset();
        select.Close();
        const int found = rs.RecordCount();
        QueryDef update = db.QueryDefs("pU_TimeKorr");
        const qint64 deltaMs = qint64(seconds) * 1000;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            const qint64 ms = rs.Fields("Millisekunden").toLongLong();
            const qint32 newMs = checked32(ms + deltaMs);
            update.setParameter("iID", rs.Fields("ID"));
            update.setParameter("iLaufnummer", lauf);
            update.setParameter("iStartMillsek", rs.Fields("Millisekunden"));
            update.setParameter("iMillisekunden", newMs);
            update.setParameter("iSekunden", checked32(rs.Fields("Sekunden").toLongLong() + seconds));
            update.setParameter("iWertungstime", modChronivo::SecondsToTimeString(static_cast<qint32>(
                                                     Convert::RoundHalfEven(newMs / 1000.0))));
            update.Execute(dbFailOnError);
        }
        update.Close();
        rs.Close();
        return found;
    });
}

// ----- net time from a wave's start ---------------------------------------------------------

std::optional<qint32> NetSecondsFromWave(const QString& rowStart, qint64 millisekunden,
                                         const QString& waveStart) {
    const QTime start = Convert::TimeOfDay(rowStart);
    const QTime wave = Convert::TimeOfDay(waveStart);
    if (!start.isValid() || !wave.isValid())
        return std::nullopt;
    const qint64 finish = start.msecsSinceStartOfDay() / 1000 +
                          Convert::RoundHalfEven(static_cast<double>(millisekunden) / 1000.0);
    const qint64 net = finish - wave.msecsSinceStartOfDay() / 1000;
    if (net < std::numeric_limits<qint32>::min() / 1000 || net > std::numeric_limits<qint32>::max() / 1000)
        return std::nullopt;
    return static_cast<qint32>(net);
}

std::map<qint64, qint32> RecalcNet(Database& db, qint32 lauf, qint32 startnummer, const QString& waveStart) {
    std::map<qint64, qint32> rewritten;
    if (startnummer <= 0 || !Convert::TimeOfDay(waveStart).isValid())
        return rewritten;
    QueryDef select = db.QueryDefs("pS_GetWertung");
    select.setParameter("iLaufnummer", lauf);
    select.setParameter("iStartNr", startnummer);
    Recordset rs = select.OpenRecordset();
    select.Close();
    QueryDef update = db.QueryDefs("pU_Wertung");
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        // Each row from its own start and time: an edit of one row of a start number that
        // has several must not take over the other rows' times.
        const std::optional<qint32> net = NetSecondsFromWave(
            rs.Fields("Starttime").toString(), rs.Fields("Millisekunden").toLongLong(), waveStart);
        if (!net)
            continue;
        const QString text = modChronivo::SecondsToTimeString(*net);
        update.setParameter("iLaufnummer", lauf);
        update.setParameter("iStartnummer", startnummer);
        update.setParameter("iID", rs.Fields("ID"));
        update.setParameter("iStartTime", waveStart);
        update.setParameter("iSekunden", *net);
        update.setParameter("iMillisekunden", *net * 1000);
        update.setParameter("iWertungstime", text);
        update.setParameter("iMillisekNetto", *net * 1000);
        update.setParameter("iZeitNetto", text);
        update.Execute(dbFailOnError);
        if (update.RecordsAffected() > 0)
            rewritten[rs.Fields("ID").toLongLong()] = *net;
    }
    update.Close();
    rs.Close();
    return rewritten;
}

} // namespace RunCorrection
