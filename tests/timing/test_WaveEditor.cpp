#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"
#include "support/TestServices.h"
#include "timing/WaveCountdown.h"
#include "timing/WaveTable.h"
#include "timing/frmSettingsStartZeit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<WaveTable::GeneratedRow> generate(const QString& from, const QString& to, const QString& per,
                                              const QString& time, const QString& seconds,
                                              WaveTable::GenerateCheck* check = nullptr) {
    std::vector<WaveTable::GeneratedRow> rows;
    const WaveTable::GenerateCheck c = WaveTable::Generate(
        from, to, per, time, seconds, [&](const WaveTable::GeneratedRow& g) { rows.push_back(g); });
    if (check)
        *check = c;
    return rows;
}

long errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(WaveGenerator, SplitsTheRangeIntoWavesAtTheInterval) {
    const auto rows = generate("1", "95", "10", "10:00:00", "120");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].von, 1);
    EXPECT_EQ(rows[0].bis, 10);
    EXPECT_EQ(rows[0].zeit, "10:00:00");
    EXPECT_EQ(rows[1].von, 11);
    EXPECT_EQ(rows[1].zeit, "10:02:00");
    EXPECT_EQ(rows[9].von, 91);
    EXPECT_EQ(rows[9].bis, 95);
    EXPECT_EQ(rows[9].zeit, "10:18:00");

    // One number gives one wave; the times run on into the next day's times of day.
    const auto single = generate("7", "7", "10", "23:59:30", "60");
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].bis, 7);
    const auto late = generate("1", "20", "10", "23:59:30", "60");
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[1].zeit, "00:00:30");
}

TEST(WaveGenerator, RefusesWrongFieldsBeforeMakingAnyRow) {
    WaveTable::GenerateCheck check{};
    EXPECT_TRUE(generate("100", "1", "10", "10:00:00", "60", &check).empty());
    EXPECT_EQ(check, WaveTable::GenerateCheck::FieldsWrong);
    // Nine o'clock with one hour digit is not accepted, though it is a time.
    EXPECT_TRUE(generate("1", "100", "10", "9:00:00", "60", &check).empty());
    EXPECT_EQ(check, WaveTable::GenerateCheck::TimeInvalid);
    EXPECT_TRUE(generate("1", "100", "10", "25:00:00", "60", &check).empty());
    EXPECT_EQ(check, WaveTable::GenerateCheck::TimeInvalid);
    // A range that would give thousands of waves is a typing mistake, not a wave table.
    EXPECT_TRUE(generate("1", "2000000", "1", "10:00:00", "60", &check).empty());
    EXPECT_EQ(check, WaveTable::GenerateCheck::FieldsWrong);

    EXPECT_EQ(errorOf([] { generate("", "100", "10", "10:00:00", "60"); }), 13);
    EXPECT_EQ(errorOf([] { generate("1", "100", "10", "10:00:00", "40000"); }), 6);
    EXPECT_EQ(errorOf([] { generate("1", "100", "0", "10:00:00", "60"); }), 11);
}

TEST(WaveTableRows, StartTimesFollowTheRowsAndLaterRowsWin) {
    std::vector<QString> startZeit(10001, "stale");
    WaveTable::FillStartZeit({"1;100;10:00:00;A", "50;60;10:10:00;B", "9990;10000;11:00:00;C"}, startZeit);
    EXPECT_EQ(startZeit[1], "10:00:00");
    EXPECT_EQ(startZeit[49], "10:00:00");
    EXPECT_EQ(startZeit[50], "10:10:00");
    EXPECT_EQ(startZeit[60], "10:10:00");
    EXPECT_EQ(startZeit[61], "10:00:00");
    EXPECT_EQ(startZeit[10000], "11:00:00");
    // Entries of waves no longer in the table do not keep their old time.
    EXPECT_EQ(startZeit[0], "");
    EXPECT_EQ(startZeit[101], "");
}

TEST(WaveTableRows, RowsThatCannotBeWavesFillNothingAndNeverReachBeyondTheTable) {
    std::vector<QString> startZeit;
    WaveTable::FillStartZeit({"1;10", "x;20;10:00:00;A", "5;;10:00:00;B", "9000;99999999999;10:00:00;C",
                              "-5;3;10:00:00;D", "30;40;kaputt;E", "41;42;10:05:00"},
                             startZeit);
    ASSERT_EQ(startZeit.size(), 10001u);
    for (int n : {1, 5, 9000, 10000, 0, 3, 30})
        EXPECT_EQ(startZeit[static_cast<size_t>(n)], "") << n;
    // Three fields are enough; the name is not needed for a start time.
    EXPECT_EQ(startZeit[41], "10:05:00");
}

// A wave whose range reaches past the last start number that can have a wave start is still a
// wave: the numbers it covers within that range get its start, and the starter counts it down.
TEST(WaveTableRows, AWaveReachingPastTheLastNumberKeepsItsStartAndIsCountedDown) {
    const QStringList rows = {"1;9000;10:00:00;A", "9001;20000;10:05:00;B", "10001;12000;10:10:00;C"};
    std::vector<QString> startZeit;
    WaveTable::FillStartZeit(rows, startZeit);
    ASSERT_EQ(startZeit.size(), 10001u);
    EXPECT_EQ(startZeit[9000], "10:00:00");
    EXPECT_EQ(startZeit[9500], "10:05:00");
    EXPECT_EQ(startZeit[10000], "10:05:00");
    const std::vector<StarterRow> list = LoadStarterList(rows);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(StarterRowText(list[1]), "9001;20000;10:05:00");
    EXPECT_EQ(StarterRowText(list[2]), "10001;12000;10:10:00");
}

// The table is stored in one write: a program killed while saving leaves the old table or the
// new one, never a mix. The kill comes as soon as the settings file first changes.
TEST(WaveTableRows, AKillWhileSavingLeavesTheOldOrTheNewTableWhole) {
    TestServices t;
    const auto table = [](const QString& time, const QString& name) {
        QStringList rows;
        for (int i = 1; i <= WaveTable::MaxRows; ++i)
            rows << QStringLiteral("%1;%1;%2;%3").arg(i).arg(time, name);
        return rows;
    };
    const QStringList before = table("10:00:00", "alt");
    const QStringList after = table("11:00:00", "neue Welle");
    ASSERT_TRUE(WaveTable::SaveRows(t.settings(), before));
    const QString file = t.settings().location();
    const auto content = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray old = content();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(WaveTable::SaveRows(t.settings(), after) ? 0 : 1);
    }
    QElapsedTimer waited;
    waited.start();
    while (content() == old && waited.elapsed() < 10000) {
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const QStringList left = WaveTable::Rows(SettingsStore("Vek. Chronivo", file));
    EXPECT_TRUE(left == before || left == after)
        << left.filter("neue Welle").size() << " new rows, " << left.filter("alt").size() << " old rows";
}

TEST(WaveTableRows, AStoredRowCountIsBoundedAndMissingRowsReadEmpty) {
    TestServices t;
    t.settings().SaveSetting("StartZeiten", "Rows", "2147483647");
    t.settings().SaveSetting("StartZeiten", "1", "1;5;10:00:00;A");
    const QStringList rows = WaveTable::Rows(t.settings());
    EXPECT_EQ(rows.size(), WaveTable::MaxRows);
    EXPECT_EQ(rows[0], "1;5;10:00:00;A");
    EXPECT_EQ(rows[1], "");
    t.settings().SaveSetting("StartZeiten", "Rows", "-3");
    EXPECT_TRUE(WaveTable::Rows(t.settings()).isEmpty());
}

TEST(WaveTableRows, StampingChangesOnlyTheTimeOfTheNamedWave) {
    const QStringList rows = {"1;100;10:00:00;A", "101;200;10:00:00;B", "201;300;10:00:00;Start 10:00:00"};
    const QStringList out = WaveTable::StampWave(rows, "Start 10:00:00", "10:03:17");
    EXPECT_EQ(out[0], rows[0]);
    EXPECT_EQ(out[1], rows[1]);
    EXPECT_EQ(out[2], "201;300;10:03:17;Start 10:00:00");
    // A time that also stands in a start number leaves the number alone.
    EXPECT_EQ(WaveTable::StampWave({"1;1;1;A"}, "A", "10:03:17")[0], "1;1;10:03:17;A");
}

TEST(WaveTableFile, LinesEndInCrLfAndLinesWithoutATimeAreNotTaken) {
    const QStringList rows = {"1;100;10:00:00;A", "101;200;10:05:00;"};
    EXPECT_EQ(WaveTable::TableFileContent(rows), QByteArray("1;100;10:00:00;A\r\n101;200;10:05:00;\r\n"));
    const WaveTable::TableFile own = WaveTable::ReadTableFile(WaveTable::TableFileContent(rows));
    EXPECT_EQ(own.rows, rows);
    EXPECT_EQ(own.withoutTime, 0);
    const QByteArray mixed("1;9;9:00:00;LF only\n\r\n\x01\x02garbage\r\n10;19;10:00:00;no line end");
    const WaveTable::TableFile read = WaveTable::ReadTableFile(mixed);
    EXPECT_EQ(read.rows, QStringList({"1;9;9:00:00;LF only", "10;19;10:00:00;no line end"}));
    EXPECT_EQ(read.withoutTime, 1);
}

TEST(WaveTableFile, ATableSavedAsUtf8WithItsMarkGivesEveryWaveItsStart) {
    // As a spreadsheet writes it: byte order mark first, names in UTF-8.
    const QByteArray utf8("\xEF\xBB\xBF"
                          "1;100;10:00:00;M\xC3\xA4nner\r\n101;200;10:05:00;Frauen\r\n");
    const QStringList rows = WaveTable::ReadTableFile(utf8).rows;
    EXPECT_EQ(rows,
              QStringList({QString::fromUtf8("1;100;10:00:00;M\u00e4nner"), "101;200;10:05:00;Frauen"}));
    std::vector<QString> startZeit;
    WaveTable::FillStartZeit(rows, startZeit);
    EXPECT_EQ(startZeit[1], "10:00:00");
    EXPECT_EQ(startZeit[100], "10:00:00");
    // The program's own export (one byte per character) reads back unchanged.
    const QStringList latin1 = {QString::fromUtf8("1;100;10:00:00;M\u00e4nner")};
    EXPECT_EQ(WaveTable::ReadTableFile(WaveTable::TableFileContent(latin1)).rows, latin1);
}

// ----- the editor ---------------------------------------------------------------------------

struct WaveEditor : ::testing::Test {
    TestServices t;
    frmSettingsStartZeit e{t.services()};

    void SetUp() override {
        t.clock().setTime(QTime(9, 41, 27));
        e.Form_Activate();
    }
    void store(const QStringList& rows) {
        ASSERT_TRUE(WaveTable::SaveRows(t.settings(), rows));
        e.LoadStartTimes();
    }
    void fields(const QString& from, const QString& to, const QString& per, const QString& time,
                const QString& seconds) {
        e.textNoFrom->setText(from);
        e.textNoTo->setText(to);
        e.textNoIntervall->setText(per);
        e.textTime->setText(time);
        e.textTimeIntervall->setText(seconds);
    }
    QString stored(const QString& key) { return t.settings().GetSetting("StartZeiten", key, "<none>"); }
    QString writeFile(const QByteArray& content) {
        const QString path = t.path("wellen.txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
};

TEST_F(WaveEditor, OpensWithTheTimeOfTheMinuteAndTheStoredRowsAndAnEmptyNewRow) {
    EXPECT_EQ(e.textTime->text(), "09:41:00");
    store({"1;100;10:00:00;A", "101;200;10:05:00;B"});
    EXPECT_EQ(e.dbgEinstellungen->rowCount(), 3);
    EXPECT_EQ(e.dbgEinstellungen->item(1, 3)->text(), "B");
    EXPECT_EQ(e.gridRows(), QStringList({"1;100;10:00:00;A", "101;200;10:05:00;B"}));
}

TEST_F(WaveEditor, GeneratedWavesGoAfterTheLoadedRowsAndAreKeptOnlyBySaving) {
    store({"1;100;10:00:00;A"});
    fields("101", "125", "10", "10:30:00", "90");
    e.cmdIntervall_Click();
    EXPECT_EQ(e.gridRows(), QStringList({"1;100;10:00:00;A", "101;110;10:30:00;", "111;120;10:31:30;",
                                         "121;125;10:33:00;"}));
    EXPECT_EQ(stored("Rows"), "1");
    t.dialogs().allowInformationBoxes(true);
    e.cmdSave_Click();
    EXPECT_EQ(stored("Rows"), "4");
    EXPECT_EQ(stored("4"), "121;125;10:33:00;");
    EXPECT_EQ(t.dialogs().messages().last(), "4 Datensätze gespeichert!");
}

TEST_F(WaveEditor, WrongGeneratorInputIsAnsweredWithItsMessage) {
    fields("10", "1", "10", "10:00:00", "60");
    e.cmdIntervall_Click();
    fields("1", "10", "10", "9:00:00", "60");
    e.cmdIntervall_Click();
    fields("1", "10", "zehn", "10:00:00", "60");
    e.cmdIntervall_Click();
    EXPECT_EQ(t.dialogs().messages(), QStringList({"Bitte Felder überprüfen!!!!",
                                                   "Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!",
                                                   "Fehler: 13 - Typen unverträglich"}));
    EXPECT_EQ(t.dialogs().shown()[2].style, 16);
    EXPECT_TRUE(e.gridRows().isEmpty());
}

TEST_F(WaveEditor, SavingDropsRowsWithoutAValidTimeAndKeepsNoSemicolonInAField) {
    e.setCell(0, 0, "1");
    e.setCell(0, 1, "10");
    e.setCell(0, 2, "10:00:00");
    e.setCell(0, 3, "A;B");
    e.setCell(1, 0, "11");
    e.setCell(1, 1, "20");
    e.setCell(1, 2, "zehn Uhr");
    e.setCell(2, 0, "21");
    e.setCell(2, 1, "30");
    e.setCell(2, 2, "10:10:00");
    e.cmdSave_Click();
    EXPECT_EQ(stored("Rows"), "2");
    EXPECT_EQ(stored("1"), "1;10;10:00:00;AB");
    EXPECT_EQ(stored("2"), "21;30;10:10:00;");
    EXPECT_EQ(t.dialogs().messages().last(), "2 Datensätze gespeichert!");
    // The grid shows what was stored.
    EXPECT_EQ(e.gridRows(), QStringList({"1;10;10:00:00;AB", "21;30;10:10:00;"}));
}

TEST_F(WaveEditor, ImportAppendsOrReplacesAsAnsweredAndAsksNothingOnAnEmptyTable) {
    const QString file = writeFile("1;50;10:00:00;A\r\n51;99;10:05:00;B\r\n");
    t.dialogs().planFile(file);
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), "2");
    EXPECT_EQ(t.dialogs().messages(), QStringList({"Daten geladen!"}));

    t.dialogs().planFile(file);
    t.dialogs().planMsgBox(6); // Yes: append
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), "4");
    EXPECT_EQ(stored("3"), "1;50;10:00:00;A");
    EXPECT_EQ(t.dialogs().shown()[3].text, "Daten anhängen?");
    EXPECT_EQ(t.dialogs().shown()[3].style, 36);

    t.dialogs().planFile(writeFile("200;300;11:00:00;C\r\nkein Eintrag\r\n"));
    t.dialogs().planMsgBox(7); // No: replace
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), "1");
    EXPECT_EQ(stored("1"), "200;300;11:00:00;C");
    EXPECT_TRUE(t.dialogs().messages().last().startsWith("Daten geladen!\r1 Zeilen"));
    EXPECT_EQ(e.gridRows(), QStringList({"200;300;11:00:00;C"}));

    // An empty file has no row to take: the table stays as it was, and nothing is asked.
    t.dialogs().planFile(writeFile(""));
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), "1");
    // A cancelled dialog does nothing.
    t.dialogs().planFile("");
    e.cmdImport_Click();
    EXPECT_TRUE(t.dialogs().allPlansUsed());
}

// A file that gives no wave leaves the table alone, and each line that is not taken is
// reported for the reason it was not taken.
TEST_F(WaveEditor, AnImportWithoutAUsableRowChangesNothingAndLostLinesAreCountedByTheirCause) {
    store({"1;100;10:00:00;A"});
    const QString nothingUsable = "Keine Zeile der Datei ist verwendbar, es wurde nichts geändert!";
    const QString wave = "1;100;10:00:00;A\r\n";
    const QByteArray useless[] = {
        QByteArray("1,100,10:00:00,A\r\n2,200,10:05:00,B\r\n"),
        QByteArray("\x00\x01\xFF\xFE garbage \x7F", 14),
        "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(wave.utf16()), wave.size() * 2)};
    for (const QByteArray& content : useless) {
        t.dialogs().planFile(writeFile(content));
        e.cmdImport_Click();
        EXPECT_TRUE(t.dialogs().messages().last().startsWith(nothingUsable))
            << t.dialogs().messages().last().toStdString();
        EXPECT_EQ(stored("Rows"), "1");
        EXPECT_EQ(stored("1"), "1;100;10:00:00;A");
    }
    EXPECT_TRUE(t.dialogs().allPlansUsed());

    // Appending three waves to a table of 998: two fit, one is cut by the row limit.
    QStringList full;
    for (int i = 1; i <= WaveTable::MaxRows - 2; ++i)
        full << QStringLiteral("%1;%1;10:00:00;").arg(i);
    store(full);
    t.dialogs().planFile(writeFile("2001;2001;11:00:00;\r\n2002;2002;11:00:00;\r\n2003;2003;11:00:00;\r\n"));
    t.dialogs().planMsgBox(6);
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), QString::number(WaveTable::MaxRows));
    EXPECT_EQ(t.dialogs().messages().last(),
              "Daten geladen!\r1 Zeilen über der Höchstzahl von 1000 Zeilen wurden nicht übernommen!");

    // A file beyond the size limit: the line cut by the limit is not taken, not even in part.
    const QByteArray huge = "1;50;10:00:00;A\r\n51;99;10:05:00;" + QByteArray(1100000, 'B') + "\r\n";
    t.dialogs().planFile(writeFile(huge));
    t.dialogs().planMsgBox(7);
    e.cmdImport_Click();
    EXPECT_EQ(stored("Rows"), "1");
    EXPECT_EQ(stored("1"), "1;50;10:00:00;A");
    EXPECT_EQ(t.dialogs().messages().last(),
              "Daten geladen!\rDie Datei ist größer als 1 MB, der Rest wurde nicht gelesen!");
}

TEST_F(WaveEditor, ExportWritesTheStoredRowsAndImportReadsThemBack) {
    store({"1;100;10:00:00;A", "101;200;10:05:00;"});
    const QString path = t.path("export.txt");
    t.dialogs().planFile(path);
    e.cmdExport_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Daten gespeichert!");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1;100;10:00:00;A\r\n101;200;10:05:00;\r\n"));
    // The file dialog offers the name chosen last.
    t.dialogs().planFile("");
    e.cmdImport_Click();
    EXPECT_EQ(t.dialogs().lastFileRequest.fileName, path);
}

// The table file is written and read in Windows-1252, as the program's other files are; UTF-8
// from elsewhere still reads, and a name the file cannot hold is reported, not changed.
TEST_F(WaveEditor, TheTableFileSurvivesItsOwnExportAndImportAndANameItCannotHoldIsReported) {
    const QString zurich = QString::fromUtf8("1;100;10:00:00;Zürich €uro");
    const QString lodz = QString::fromUtf8("101;200;10:05:00;Łódź");
    const QString path = writeFile("alter Inhalt\r\n");
    store({zurich, lodz});
    t.dialogs().planFile(path);
    e.cmdExport_Click();
    EXPECT_TRUE(t.dialogs().messages().last().contains(lodz)) << t.dialogs().messages().last().toStdString();
    EXPECT_EQ(t.dialogs().shown().back().style, 16);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("alter Inhalt\r\n"));
    f.close();

    store({zurich});
    t.dialogs().planFile(path);
    e.cmdExport_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Daten gespeichert!");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1;100;10:00:00;Z\xFCrich \x80uro\r\n"));
    store({"1;1;09:00:00;x"});
    t.dialogs().planFile(path);
    t.dialogs().planMsgBox(7);
    e.cmdImport_Click();
    EXPECT_EQ(stored("1"), zurich);

    t.dialogs().planFile(writeFile("1;100;10:00:00;Z\xC3\xBCrich \xE2\x82\xACuro\r\n"));
    t.dialogs().planMsgBox(7);
    e.cmdImport_Click();
    EXPECT_EQ(stored("1"), zurich);
}

TEST_F(WaveEditor, DeleteAsksAndThenClearsTheTableAndSwitchesStartTimesByNumberOff) {
    store({"1;100;10:00:00;A"});
    t.settings().SaveSetting("frmChronivo", "LaufNrStartzeit", "1");
    t.dialogs().planMsgBox(7);
    e.cmdDelete_Click();
    EXPECT_EQ(stored("Rows"), "1");
    t.dialogs().planMsgBox(6);
    e.cmdDelete_Click();
    EXPECT_EQ(stored("Rows"), "0");
    EXPECT_EQ(stored("1"), "<none>");
    EXPECT_EQ(t.settings().GetSetting("frmChronivo", "LaufNrStartzeit"), "False");
    EXPECT_FALSE(t.settings().GetBool("frmChronivo", "LaufNrStartzeit", true));
    EXPECT_TRUE(e.gridRows().isEmpty());
    EXPECT_EQ(t.dialogs().shown()[0].text, "Daten wirklich löschen?");
}

// Enter in a field is no click on the dialog's first button (Import would open a file dialog).
TEST_F(WaveEditor, EnterInAFieldPressesNoButton) {
    e.show();
    e.activateWindow();
    e.textNoFrom->setFocus();
    QTest::keyClick(e.textNoFrom, Qt::Key_Return);
    QTest::keyClick(e.textTime, Qt::Key_Enter);
    EXPECT_TRUE(t.dialogs().shown().empty());
    EXPECT_TRUE(e.isVisible());
}

} // namespace

// A cell still being typed in when a button is pressed by its key belongs to the grid: Save
// stores it, and the generator does not write over it.
TEST_F(WaveEditor, ACellStillBeingTypedCountsWhenAButtonIsPressedByItsKey) {
    e.show();
    QApplication::setActiveWindow(&e);
    e.setCell(0, 0, "1");
    e.setCell(0, 1, "100");
    auto typeInto = [this](int row, int column, const QString& text) {
        e.dbgEinstellungen->setFocus();
        e.dbgEinstellungen->setCurrentCell(row, column);
        e.dbgEinstellungen->editItem(e.dbgEinstellungen->item(row, column));
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(editor && e.dbgEinstellungen->isAncestorOf(editor));
        QTest::keyClicks(editor, text);
    };
    typeInto(0, 2, "10:00:00");
    t.dialogs().planMsgBox(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(200);
    EXPECT_EQ(stored("1"), "1;100;10:00:00;");
    EXPECT_EQ(t.dialogs().messages().last(), "1 Datensätze gespeichert!");

    typeInto(1, 3, "Nachzuegler");
    fields("101", "110", "10", "10:30:00", "60");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    QTest::qWait(200);
    EXPECT_EQ(e.gridRows(), QStringList({"1;100;10:00:00;", ";;;Nachzuegler", "101;110;10:30:00;"}));
}
