#pragma once

#include "core/modChronivo.h"
#include "platform/Dialogs.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <QVariantMap>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class DataControl;
class frmStartRun;
class Database;
class SerialPort;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QWidget;
class SerialPort;
class MainWindowReaderLink;
class ReaderConsole;
enum class ReaderKind : int;
struct Services;
class TcpSocket;
namespace ResultEntry {
struct Stored;
}

// The main timing window. It lives for the whole program run; closing it ends the program.
// Its handlers are named after control and event; tests call them directly.
class frmChronivo final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* Section = "frmChronivo";
    // Connect string of both databases; SQLite keeps no password, the text is kept for the
    // race program's side.
    static constexpr const char* ConnectString = ";PWD=7rosenhag";

    explicit frmChronivo(Services& services, QWidget* parent = nullptr);
    ~frmChronivo() override;

    // Runs creation and load as the program start does: Form_Initialize, Form_Load, show.
    void startUp();

    void Form_Initialize();
    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    void Form_Unload();
    void cmdEnde_Click();
    void mnuBeenden_Click();

    // Run control.
    void cmdStart_Click();
    void cmdStartVorgabe_Click();
    void mnuSetStartTime_Click();
    void cmdDurchlauf_Click();
    void mnuLaufBeenden_Click();
    void cboLaufnummer_Click();

    // Taking a result. Another source of start numbers (a reader console) hands one over by
    // testing cmdWertung->isEnabled() and calling handOverResult with the number and the
    // moment its read arrived, which the result is timed by; it is routed as Enter in the
    // field would be, while the field, its cursor and selection and the focus stay as the
    // timekeeper left them. Failures are shown in the window's error box and never thrown
    // back to the caller; afterwards lastResultFailed() tells the caller that no result was
    // stored (a recorded first pass of net-time pass-through counts as taken).
    void cmdWertung_Click();
    void edtStartnummer_KeyPress(int KeyAscii);
    bool handOverResult(const QString& startnummer, const QDateTime& seenAt);
    bool lastResultFailed() const { return m_lastResultFailed; }
    void edtStartnummer_Change();
    void edtImZiel_Change(int Index);
    void edtStartdauer_Change();
    qint16 FindStartZeitButton(const QString& text) const;
    // Contact input (MSComm1) and the display board's port (MSComm2): modem-line edges.
    void MSComm1_OnComm();
    void MSComm2_OnComm();

    // Result views. RefreshResultViews reads both grids anew and counts their rows again:
    // the call after any change other than one new result (corrections, deletions, moves,
    // imports). After one new result of our own refreshAfterNewResult keeps the counts up to
    // date without counting the run again.
    void RefreshResultViews();
    // In split-time mode the result grid shows the rows of `startnummer`.
    void refreshAfterNewResult(const ResultEntry::Stored& stored, const QString& startnummer);
    void edtViewStartnummer_KeyPress(int KeyAscii);
    void dbgStartnummern_Click();
    void dbgStartnummern_DblClick();
    void dbgStartnummern_KeyUp(int KeyCode, int Shift);
    void dbgZeiten_KeyUp(int KeyCode, int Shift);
    // The style of the row's start-number cell ("" for none).
    QString dbgZeiten_RowLoaded(int Bookmark);
    bool CheckStartNrCount(qint32 Startnummer);
    void mnuPrintTable_Click();
    // The page header of a printout of the result grid.
    QString dbgZeiten_PrintInitialize() const;

    // Start times by start number (0 to 10000), filled from the wave-start table.
    void LoadStartZeitenArray();
    void BuildStartZeitButtons();
    // Start times by start number on or off: stored for the next start and shown in the
    // window's layout, whether the user ticks the box or a handler sets it.
    void chkLaufNrStartzeit_Click();
    // ----- wave-start editor, wave stamping, automatic starter, device settings -------------
    // (frmChronivo_Waves.cpp)
    QAction* mnuSetStartTimeStartnummern = nullptr;
    QAction* mnuComSettings = nullptr;
    void buildWaveMenu();
    void mnuSetStartTimeStartnummern_Click();
    void lblInfo_DblClick();
    void cmdSetStartZeit_Click(int Index);
    void cmdAutoStart_Click();
    void mnuComSettings_Click();
    // The automatic starter while it is open; it exists at most once.
    QPointer<frmStartRun> m_frmStartRun;
    // Clocks: race clock (1000 ms), system clock and wave buttons (250 ms), board feed (100 ms).
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    // Display boards.
    void ConnectAnzeigeIp();
    void SendAnzeigeIp(const QString& text);
    void SendAnzeigeRS232(const QString& text);
    // Operating modes and layout.
    void mnuDurchlaufModus_Click();
    void mnuDurchlaufModusMulti_Click();
    void mnuExpertMode_Click();
    void mnuTriathlon_Click();
    // Ends every link at once: boards, contact input, reader consoles.
    void closeLinks();
    void closeSerialPorts();
    void mnuPrefsDisplay_Click();
    void mnuPrefsGridFont_Click();
    void ApplyExpertModeLayout();
    void ApplyDurchlaufModus();
    void LoadGridColWidths();
    void SaveFormLayout();
    // Direct booking into the race program's database. DirektEinbuchen is called after every
    // result; it decides itself whether to book and reports a failed booking in a box.
    void DirektEinbuchen(qint32 Startnummer, qint32 Millisekunden);
    void mnuDirekteinbuchung_Click();
    void mnuPathDatabase_Click();

    // ----- result files (frmChronivo_Files.cpp) ----------------------------------------------
    // Backup file. Both report a failed write as information and return; the caller goes on.
    // WriteLogRecord takes the start time from lblStartTimeOut.
    void AppendLogLine(const QString& path, const QString& text);
    void WriteLogRecord(const QString& path, qint32 place, const QString& startnummer,
                        const QString& raceClock, const QString& lauf, qint32 grossMs, qint32 netMs,
                        const QString& dateTime);
    void mnuLogDatei_Click();
    void mnuDatabaseBackup_Click();
    QAction* mnuLogDatei = nullptr;
    QAction* mnuDatabaseBackup = nullptr;
    // Export file and fast save for the race program, and reading an export file back.
    void mnuSaveDatabase_Click();
    void cmdFastSave_Click();
    void mnuLoadDatei_Click();
    void mnufastSave_Click();
    QAction* mnuSaveDatabase = nullptr;
    QAction* mnuLoadDatei = nullptr;
    QAction* mnufastSave = nullptr;
    QFrame* fraFastSave = nullptr;
    QPushButton* cmdFastSave = nullptr;
    // Time-file panel and start-number file.
    void mnuLoadZeitDatei_Click();
    void cmdZeitdateiLaufstart_Click();
    void cmdZeitdateiImport_Click();
    void cmdZeitdateiCancel_Click();
    void mnuLoadStartnummern_Click();
    QAction* mnuLoadZeitDatei = nullptr;
    QAction* mnuLoadStartnummern = nullptr;
    QFrame* fraZeitdatei = nullptr;
    // Guide labels 0, 1, 3 and 4; 2 shows the run start entered ("hh:mm:ss" while none is).
    std::array<QLabel*, 5> lblDummy1{};
    QPushButton* cmdZeitdateiLaufstart = nullptr;
    QPushButton* cmdZeitdateiImport = nullptr;
    QPushButton* cmdZeitdateiCancel = nullptr;
    QLineEdit* edtCounter = nullptr; // tag reads read by the running import
    SYSTEMTIME m_stFileRunStart{};   // run start entered for the time file
    SYSTEMTIME m_stFileCapture{};    // moment of the read being inserted
    // The common file dialog: its file name survives between uses.
    FileDialogRequest CoDi1;

    // The run number every query uses: the selector's numeric value, 1 for 0 or empty.
    qint32 currentLauf() const;

    // ----- run selector and the guards of run control (frmChronivo_RunSelector.cpp) -----------
    // The run the window works on, as settings keys spell it ("1" to "10"; "" until the load
    // filled the selector). Text being typed into the selector is not a run until accepted.
    const QString& runText() const { return m_sLaufnummer; }
    // The stored start text of that run; blank while the run is not going.
    QString storedRunStart() const;
    // The selector's text was typed and left (Enter or focus): a run 1 to 10 is chosen,
    // anything else is refused and the selector shows the current run again.
    void cboLaufnummer_EditingFinished();
    // True while the local database is open; without it no run can be started or timed.
    bool hasLocalDatabase() const;
    // "Fehler: " & number & " - " & description as a critical box.
    void showError(long number, const QString& description);

    Services& services() { return m_services; }
    bool isUnloaded() const { return m_unloaded; }

    // ----- controls ------------------------------------------------------------------------
    QWidget* picBottom = nullptr;
    QFrame* Line1 = nullptr;
    QComboBox* cboLaufnummer = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStartVorgabe = nullptr;
    QPushButton* cmdAutoStart = nullptr;
    QPushButton* cmdWertung = nullptr;
    QPushButton* cmdDurchlauf = nullptr;
    QPushButton* cmdEnde = nullptr;
    QLineEdit* edtStartnummer = nullptr;
    QLineEdit* edtStartdauer = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblStartTimeOut = nullptr;
    QLabel* lblSysTimeOut = nullptr;
    QLabel* sspWertungTimeOut = nullptr;
    QFrame* shpAnzeige = nullptr; // link indicator of the network display board
    QLabel* lblInfo = nullptr;
    QLabel* lblLogdatei = nullptr;
    QLabel* lblFastSave = nullptr;
    QCheckBox* chkLaufNrStartzeit = nullptr;
    QCheckBox* sscLogDatei = nullptr;
    QCheckBox* sscStartNr = nullptr;
    QLineEdit* edtViewStartnummer = nullptr;
    QTableView* dbgZeiten = nullptr;
    QTableView* dbgStartnummern = nullptr;
    QLabel* lblZeitenTitle = nullptr;   // the result grid's caption
    QLabel* lblZeitenCaption = nullptr; // its column-group caption, "Lauf " & the run
    std::array<QPushButton*, 10> cmdSetStartZeit{};
    std::array<QLineEdit*, 10> edtImZiel{};

    QAction* mnuBeenden = nullptr;
    QAction* mnuDirekteinbuchung = nullptr;
    QAction* mnuExpertMode = nullptr;
    QAction* mnuDurchlaufModusMulti = nullptr;
    QAction* mnuDurchlaufModus = nullptr;
    QAction* mnuTriathlon = nullptr;
    QAction* mnuPrefsDisplay = nullptr;
    QAction* mnuPrefsGridFont = nullptr;
    QAction* mnuPathDatabase = nullptr;
    QAction* mnuSetStartTime = nullptr;
    QAction* mnuLaufBeenden = nullptr;
    QAction* mnuPrintTable = nullptr;

    // ----- reader consoles, menu "&RFID" (frmChronivo_Readers.cpp) ---------------------------
    QAction* mnuMotorola = nullptr;
    QAction* mnuMercury = nullptr;
    QAction* mnuRFIDDialog = nullptr;
    QAction* mnuSerialReader = nullptr;
    void buildReaderMenu();
    void mnuMotorola_Click();
    void mnuMercury_Click();
    void mnuRFIDDialog_Click();
    void mnuSerialReader_Click();
    // The console of that kind; null until its menu item opened it the first time.
    ReaderConsole* readerConsole(ReaderKind kind) const;
    MainWindowReaderLink* m_readerLink = nullptr; // owns the consoles

    // ----- about box and online update, menu "&Hilfe" (frmChronivo_About.cpp) -------------
    QAction* mnuAboutChronivo = nullptr;
    void buildAboutMenu();
    void mnuAboutChronivo_Click();

    // ----- correcting a run by hand (frmChronivo_Correct.cpp) ----------------------------------
    QGroupBox* fraEinfuegen = nullptr; // the insert panel, hidden until cmdInsert opens it
    QLineEdit* edtInsertPlatz = nullptr;
    QLineEdit* edtInsertStartnummer = nullptr;
    std::array<QLineEdit*, 2> edtInsertZeit{};    // 0 gross, 1 net
    std::array<QLineEdit*, 2> edtInsertMillSek{}; // 0 gross, 1 net
    std::array<QPushButton*, 2> cmdConvertSek{};
    QPushButton* cmdEinfuegen = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdInsert = nullptr;
    QPushButton* cmdDelete = nullptr;
    std::array<QPushButton*, 2> cmdArrows{};      // 0 down, 1 up
    std::array<QPushButton*, 2> cmdVerschieben{}; // 0 times, 1 start numbers (a hint only)
    QPushButton* cmdKorrektur = nullptr;
    QAction* mnuDelTable = nullptr;
    void buildCorrection(class QMenu* fileMenu);
    // The maintenance buttons take the band the shorter grid of expert mode leaves free.
    void layoutCorrectionButtons();
    void cmdInsert_Click();
    void cmdCancel_Click();
    void cmdConvertSek_Click(int Index);
    bool CheckInsertFields();
    void cmdEinfuegen_Click();
    void cmdDelete_Click();
    void mnuDelTable_Click();
    void cmdArrows_Click(int Index);
    void cmdVerschieben_Click(int Index);
    void ShiftRunTimes(qint32 FromMs, qint32 Seconds);
    void cmdKorrektur_Click();
    // The grid left a row: a row typed into is written back, then dbgZeiten_AfterUpdate runs.
    void dbgZeiten_RowColChange();
    // The edited row's fields by name, as written.
    void dbgZeiten_AfterUpdate(const QVariantMap& row);
    // Key -> net seconds of each row rewritten; empty when nothing was (errors end it quietly).
    std::map<qint64, qint32> RecalcWertungNetto(qint32 Startnummer);

    QTimer* Timer1 = nullptr;     // race clock, 1000 ms, only while a run is going
    QTimer* Timer2 = nullptr;     // system clock and wave buttons, 250 ms
    QTimer* Timer3 = nullptr;     // display-board feed, 100 ms
    QTimer* tmrBlinker = nullptr; // runs while no run is going

    std::unique_ptr<SerialPort> MSComm1; // contact input

    // Display-board links, created when their board is first switched on.
    std::unique_ptr<TcpSocket> sockAnzeige;
    std::unique_ptr<SerialPort> MSComm2;

    DataControl* Data1 = nullptr; // results of the selected run
    DataControl* Data2 = nullptr; // count per start number

    // ----- members -------------------------------------------------------------------------
    std::shared_ptr<Database> m_dbRace;
    quint32 m_lDisplayColor = 0x80FF80;
    quint32 m_lStopColor = 0xFF;
    // The run's own start: stamped by the start button with its milliseconds, 0 ms when
    // typed in; resumed with the milliseconds stored beside the start text. A result measured
    // from a wave or a first pass never changes it.
    SYSTEMTIME m_stRunStart{};
    SYSTEMTIME m_stCapture{};        // moment of the last result
    QDateTime m_eventSeenAt;         // moment of the contact edge or reader read being handled
    bool m_lastResultFailed = false; // the last hand-over stored no result
    int m_resultDepth = 0;           // results being taken (a box may be open in one)
    bool m_takingContacts = false;
    // A contact closure not yet taken: the moment it was seen, and whether a run was going then
    // (a closure from before the start never becomes a result).
    struct PendingContact {
        QDateTime seenAt;
        bool runGoing = false;
    };
    std::deque<PendingContact> m_pendingContacts;
    bool m_noRunBoxOpen = false; // the box saying that a closure came with no run going
    SYSTEMTIME m_stGrossStart{}; // start the last result's gross time runs from
    SYSTEMTIME m_stNetStart{};   // start the last result's net time runs from
    QString m_sStartTime;
    QString m_sNetStartTime;
    bool m_bDoppelt = false;
    SYSTEMTIME m_stClock{}; // local time of the last system-clock tick
    // Start-time text of each start number; empty where no wave covers it.
    std::vector<QString> StartZeit;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildResultArea();
    void buildRunMenu();
    void buildResultMenu(class QMenu* fileMenu);
    void buildRunSelector();
    void fillRunSelector();
    std::optional<QString> typedRun();
    void acceptRun(const QString& n);
    void showAcceptedRun();
    // Start buttons, start-number field, result button and the run menu off while no
    // database is open.
    void lockRunControlsWithoutDatabase();
    // A run marked running whose stored start is no time of day: shown as not running with a
    // message, its mark cleared. True when that happened.
    bool refuseBrokenRunStart(const QString& n, const QString& stored);
    // Stores one key of the run state in the window's section unless it holds that value
    // already; raises RuntimeError when it cannot be stored.
    void storeRunState(const QString& key, const QString& value);
    // The not-running look of the window (buttons, clocks, field), writing no settings.
    void showNotRunning();
    void buildFilesMenu(class QMenu* fileMenu);
    void buildFilesArea();
    void buildTimeFilePanel();
    void ImportZeitdatei();
    enum class Taken { Row, FirstPass, NoRunStart, Failed };
    // Takes one result for the start number text; raises RuntimeError for a failure before
    // the row is stored. A number typed into the field is emptied from it once its row is
    // stored (fromField); a number handed over leaves the field alone.
    Taken TakeResult(const QString& snText, bool fromField);
    // TakeResult with a failure shown in the error box and kept for lastResultFailed();
    // true when a row was stored or a first pass recorded. Contact closures that came in
    // meanwhile are taken when it returns.
    bool takeResultShowingErrors(const QString& snText, bool fromField);
    Taken takeResultReporting(const QString& snText, bool fromField);
    // Single pass-through: starts the run, or takes the result and ends the run; the
    // number is the field's unless handed over.
    void singlePassThrough(const QString* handedOver);
    // Takes the contact closures waiting, in order, each timed by its closure; does nothing
    // while a result is being taken (it calls this again when it returns).
    void takePendingContacts();
    // The open local database; raises RuntimeError when start-up could not open it.
    Database& localDatabase();
    // Raises RuntimeError when the port cannot be opened.
    void OpenContactInput();
    void handleModemEvent(SerialPort& port, std::array<bool, 3>& latches, bool takesResults);
    void applyRowStyleFonts(const QFont& font);
    // The grids' record sources; in split-time mode the result grid follows `startnummer`.
    void setRecordSources(const QString& startnummer);
    void setClockColor(QLabel* clock, quint32 oleColor);
    // Both grids read anew, drawn once, with the current cell kept where it was; a failure is
    // shown in the error box.
    void refreshKeepingCurrentCell();
    // Runs writes as one commit, shows the grids afterwards, and raises a failure of the
    // writes after that: the rows written before it stay and are shown.
    void writeRowsAndShow(Database& db, const std::function<void()>& writes);
    // The result grid's column-group caption: "Lauf " & the run shown.
    void showRunCaption();
    // Sets m_stRunStart for run n from its stored start text and the milliseconds stored
    // beside it (0 when none are), so looking at another run and back, or a restart, never
    // moves later results.
    void resumeRunStart(const QString& n, const QString& stored);
    static quint32 clockColor(const QLabel* clock);
    void setAnzeigeColor(quint32 oleColor);
    void toggleFromMenu(QAction* item, void (frmChronivo::*handler)());
    // Flips a menu item's tick and stores it under key as "-1"/"0"; returns the new tick.
    bool flipMenuTick(QAction* item, const char* key);

    Services& m_services;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_activating = false;
    bool m_leftForProgramWindow = false;

    // Single pass-through: the next press ends the run.
    bool m_bDurchlauf = false;
    // Latches of CD, CTS and DSR: a line must fall before it can take another result.
    std::array<bool, 3> m_comm1Latch{};
    std::array<bool, 3> m_comm2Latch{};
    bool m_rowLoadedErrorPending = false;
    QString m_sLaufnummer; // the accepted run, see runText()
};
