#include "platform/DbEngine.h"
#include "results/ExportFile.h"
#include "support/ErrorOf.h"
#include "support/TestServices.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include <sys/stat.h>

namespace {

using namespace ExportFile;

// A result row as the insert query stores it; any field may be Null.
struct RowValues {
    QVariant platz = 1, startnummer = 7, systemtime = "10:25:13", starttime = "10:00:00";
    QVariant sekunden = 1513, wertungstime = "00:25:13", ms = 1513250, zeitNetto = "00:25:13",
             netMs = 1513250;
};

void insert(Database& db, int lauf, const RowValues& v) {
    db.ExecuteSql(
        "insert into Chronvo (Laufnummer, Platzierung, Startnummer, Systemtime, Starttime, Sekunden, "
        "Wertungstime, Millisekunden, ZeitNetto, MillisekNetto) values (:l, :p, :sn, :sys, :st, :s, "
        ":wt, :ms, :zn, :nms)",
        {{"l", lauf},
         {"p", v.platz},
         {"sn", v.startnummer},
         {"sys", v.systemtime},
         {"st", v.starttime},
         {"s", v.sekunden},
         {"wt", v.wertungstime},
         {"ms", v.ms},
         {"zn", v.zeitNetto},
         {"nms", v.netMs}});
}

QByteArray le16(qint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le32(qint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

TEST(ExportRecordLayout, FiftyBytesAtTheirOffsets) {
    ExportRecord r;
    r.Platzierung = 0x0102;
    r.Systemtime = 0.5;
    r.Starttime = 0.25;
    r.Wertungstime = TextField("00:25:13");
    r.Sekunden = 1513;
    r.Millisekunden = -2; // a read before the start
    r.Startnummer = 0x0A0B0C0D;
    r.MilliSekNetto = 1513250;
    r.ZeitNetto = TextField("1:02");
    // Built by hand: 0.5 and 0.25 as IEEE doubles are 3FE0... and 3FD0..., stored low byte first.
    const QByteArray expected = QByteArray("\x02\x01", 2) + QByteArray("\0\0\0\0\0\0\xE0\x3F", 8) +
                                QByteArray("\0\0\0\0\0\0\xD0\x3F", 8) + "00:25:13" +
                                QByteArray("\xE9\x05\0\0", 4) + QByteArray("\xFE\xFF\xFF\xFF", 4) +
                                QByteArray("\x0D\x0C\x0B\x0A", 4) + QByteArray("\x22\x17\x17\x00", 4) +
                                "1:02    ";
    ASSERT_EQ(expected.size(), RecordSize);
    EXPECT_EQ(Pack(r), expected);

    const ExportRecord back = Unpack(expected.constData());
    EXPECT_EQ(Pack(back), expected);
    EXPECT_EQ(back.Millisekunden, -2);
    EXPECT_EQ(FieldText(back.ZeitNetto), "1:02    ");
    // Text is cut to eight bytes in the race program's code page.
    EXPECT_EQ(FieldText(TextField(QString::fromUtf8("Überlänge"))), QString::fromUtf8("Überläng"));
    EXPECT_EQ(TextField(QString::fromUtf8("ü"))[0], '\xFC');
}

struct ExportRows : ::testing::Test {
    TestServices t;
    std::shared_ptr<Database> db = t.openLocal();

    Written build(
        Mode mode, std::function<bool(qint32)> keepGoing = [](qint32) { return true; }) {
        Recordset rows = AllValues(*db, 1);
        return Build(rows, mode, keepGoing);
    }
    ExportRecord record(const Written& w, int i) { return Unpack(w.bytes.constData() + i * RecordSize); }
};

TEST_F(ExportRows, NetTimeTextIsRoundedHalfToEvenAndEmptyInAFastSave) {
    RowValues a;
    a.netMs = 1500;
    insert(*db, 1, a);
    RowValues b;
    b.platz = 2;
    b.netMs = 2500;
    b.starttime = "";
    b.systemtime = "07.12.2026 12:00:00"; // a row from a time file carries the import's date
    insert(*db, 1, b);

    const Written exported = build(Mode::Export);
    ASSERT_EQ(exported.records, 2);
    EXPECT_EQ(FieldText(record(exported, 0).ZeitNetto), "00:00:02");
    EXPECT_EQ(FieldText(record(exported, 1).ZeitNetto), "00:00:02");
    EXPECT_EQ(record(exported, 0).Starttime, 10.0 / 24);
    EXPECT_EQ(record(exported, 1).Starttime, 0.0);
    EXPECT_EQ(record(exported, 1).Systemtime, 0.5);

    const Written fast = build(Mode::FastSave);
    ASSERT_EQ(fast.bytes.size(), 2 * RecordSize);
    EXPECT_EQ(fast.bytes.mid(42, 8), QByteArray(8, '\0'));
    EXPECT_EQ(fast.bytes.mid(RecordSize + 42, 8), QByteArray(8, '\0'));
    EXPECT_EQ(fast.bytes.left(42), exported.bytes.left(42));
}

TEST_F(ExportRows, SevenHoursIsTheLimitOfTheExportOnly) {
    for (int i = 0; i < 4; ++i) {
        RowValues v;
        v.platz = i + 1;
        v.startnummer = 10 + i;
        v.ms = QList<QVariant>{25'200'000, 25'200'001, QVariant(), 1000}[i];
        insert(*db, 1, v);
    }
    QList<qint32> asked;
    const Written all = build(Mode::Export, [&](qint32 sn) {
        asked << sn;
        return true;
    });
    EXPECT_EQ(asked, QList<qint32>({11, 12}));
    ASSERT_EQ(all.records, 2);
    EXPECT_EQ(record(all, 0).Millisekunden, 25'200'000);
    EXPECT_EQ(record(all, 1).Startnummer, 13);

    const Written stopped = build(Mode::Export, [](qint32) { return false; });
    EXPECT_TRUE(stopped.stoppedByUser);
    EXPECT_EQ(stopped.records, 1);
    EXPECT_EQ(stopped.bytes.size(), RecordSize);

    EXPECT_EQ(build(Mode::FastSave).records, 4);
}

TEST_F(ExportRows, ARowThatCannotBeWrittenEndsTheFileBeforeIt) {
    insert(*db, 1, RowValues{});
    RowValues noNet;
    noNet.platz = 2;
    noNet.netMs = QVariant();
    insert(*db, 1, noNet);
    Written w = build(Mode::Export);
    EXPECT_EQ(w.records, 1);
    ASSERT_TRUE(w.error);
    EXPECT_EQ(w.error->number(), 94);

    db->ExecuteSql("delete from Chronvo");
    RowValues badStart;
    badStart.starttime = "gleich";
    insert(*db, 1, badStart);
    EXPECT_EQ(build(Mode::FastSave).error->number(), 13);
    db->ExecuteSql("delete from Chronvo");
    RowValues farPlace;
    farPlace.platz = 40000;
    insert(*db, 1, farPlace);
    EXPECT_EQ(build(Mode::FastSave).error->number(), 6);
}

TEST_F(ExportRows, ExportReadBackAndExportAgainGiveTheSameBytes) {
    for (int i = 0; i < 3; ++i) {
        RowValues v;
        v.platz = i + 1;
        v.startnummer = i == 1 ? QVariant() : QVariant(100 + i);
        v.ms = 60000 * (i + 1) + 7;
        v.netMs = 60000 * (i + 1) - 500;
        v.wertungstime = QStringLiteral("00:0%1:00").arg(i + 1);
        insert(*db, 1, v);
    }
    const QByteArray first = build(Mode::Export).bytes;
    ASSERT_EQ(first.size(), 3 * RecordSize);
    for (int i = 0; i < 3; ++i)
        Insert(*db, 2, Unpack(first.constData() + i * RecordSize));
    Recordset again = AllValues(*db, 2);
    EXPECT_EQ(Build(again, Mode::Export, [](qint32) { return true; }).bytes, first);
}

TEST(ExportWholeFile, ANewFileGetsWhatTheUmaskLeavesAndAReplacedOneKeepsItsMode) {
    TestServices t;
    const QString path = t.path("modus.exp");
    const mode_t saved = ::umask(022);
    struct Case {
        mode_t umask, before, after; // before 0: no file yet
    };
    for (const Case c :
         {Case{022, 0, 0644}, Case{027, 0, 0640}, Case{077, 0664, 0664}, Case{022, 0444, 0444}}) {
        QFile::remove(path);
        if (c.before) {
            QFile old(path);
            old.open(QIODevice::WriteOnly);
            ::fchmod(old.handle(), c.before);
        }
        ::umask(c.umask);
        EXPECT_NO_THROW(WriteWhole(path, "neu"));
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.umask << " " << c.before;
    }
    ::umask(saved);
}

TEST(ExportDates, DateMembersBecomeTimeTextsAndGarbageIsRefused) {
    EXPECT_EQ(DateText(0.5), "12:00:00");
    EXPECT_EQ(DateText(0.0), "00:00:00");
    EXPECT_EQ(DateText(1513.0 / 86400), "00:25:13");
    EXPECT_EQ(DateText(46363.5), "07.12.2026 12:00:00");
    EXPECT_EQ(DateText(-1.25), "29.12.1899 06:00:00");
    EXPECT_EQ(DateText(0.9999999), "31.12.1899 00:00:00");
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300})
        EXPECT_EQ(errorNumberOf([&] { DateText(bad); }), 13);
}

} // namespace
