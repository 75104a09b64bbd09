#pragma once

#include "platform/Dialogs.h"
#include "readers/ConsoleProfile.h"
#include "readers/DebounceTable.h"
#include "readers/LineAssembler.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>
#include <deque>
#include <map>
#include <optional>

class BridgeLauncher;
class InfoTextModel;
class MainWindowLink;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;
class TransponderData;
struct Services;

// A native telegram keeps its CR as the last character; log lines and exported rows go
// without it (and without any other line end at its end), as they end with a line end of
// their own.
QString withoutLineEnd(const QString& unit);

// A received text as the log, the grid and the booking list show it: one line (inner line
// ends written as <CR> and <LF>), and cut after MaxShownChars with a note of its length, so
// that garbage from a link can neither break the log into fake lines nor flood it.
QString OneShownLine(const QString& text);
inline constexpr qsizetype MaxShownChars = 300;

// The link state a console shows as its window icon.
enum class Lamp { Red, Yellow, Green };

// The window through which the timekeeper works with one kind of transponder reader. The
// four consoles (frmRFID, frmMercury, frmMotorola, frmSerialReader) are this one window; what
// sets them apart is their ConsoleProfile and the link they drive (TcpReaderConsole,
// frmSerialReader). Whatever the reader sends is cut into units, each unit becomes a
// tag-read telegram, and the selected tab decides what it does: fill the assignment field,
// check a tag, book the start number through the main window, confirm a written tag or show a
// reader reply. Every unit is also shown, counted and logged to Reader.txt.
//
// The console lives for the whole program run; closing it unloads it (settings saved, link
// ended) and showing it again loads it anew. Everything runs on the user-interface thread.
// Controls whose names carry an umlaut are spelled with ae/oe/ue here; their object names
// keep the umlaut.
class ReaderConsole : public QWidget {
    Q_OBJECT
public:
    static constexpr int TabMeldungen = 0;
    static constexpr int TabErfassen = 1;
    static constexpr int TabPruefen = 2;
    static constexpr int TabBuchen = 3;
    static constexpr int TabSchreiben = 4;
    static constexpr int TabAntennen = 5;
    static constexpr int TabUhrzeit = 6;
    static constexpr int TabBefehl = 7;
    static constexpr int TabReader = 8;

    ~ReaderConsole() override;

    const ConsoleProfile& profile() const { return m_profile; }

    // Loads the window when it is not loaded, shows it and brings it forward.
    void showConsole();
    bool isLoaded() const { return m_loaded; }

    void Form_Load();
    void Form_Unload();

    // The link. TCP consoles connect a socket, the serial console opens its port.
    virtual void cmdConnect_Click() = 0;
    virtual void cmdDisconnect_Click() = 0;

    void cmdClear_Click(int Index = 0);
    void cmdLogOpen_Click();
    void cmdExportReaderdata_Click();

    // Assignment list (tab "Erfassen") and check (tab "Prüfen").
    void cmdNeu_Click();
    void cmdSpeichern_Click();
    void cmdLoeschen_Click();
    void edtStartnummer_KeyPress(int KeyAscii);
    void edtTransponder_KeyPress(int KeyAscii);
    void cmdErase_Click();
    void cmdExport_Click();
    void cmdImport_Click();
    void edtPruefRFID_KeyPress(int KeyAscii);

    // Commands to the reader and the bridge program (tabs "Meldungen", "Schreiben", the
    // antenna tab, "Uhrzeit", "Befehl" and "Reader"). Each sends at once and waits for nothing;
    // replies are evaluated by the receive path of whatever tab is selected when they arrive.
    void edtTransmit_KeyPress(int KeyAscii);
    void Command1_Click();
    void cmdBefehlSchreiben_Click();
    void cmdGetSystemTime_Click();
    void cmdUhrzeitSchreiben_Click();
    void cmdAntLaden_Click();
    void cmdAntSpeichern_Click();
    void sliAntenne_Change(int Index);
    void VScroll1_Change(int Index);
    void cmdTransponderWrite_Click();
    void edtRFIDKopf_Change();
    // The debounce time: typing is checked as it goes, and what was typed takes effect once
    // the box is left or Enter is pressed.
    void edtEntprellung_Change();
    void edtEntprellung_LostFocus();
    void cmdMercuryStart_Click();
    void cmdMercuryBeenden_Click();
    // A bridge started from this console runs and its output is shown.
    bool isBridgeRunning() const;
    QStringList bridgeRows() const;

    // One received unit (a serial line, a telegram, a bridge line) through the whole receive
    // path. Units received while another is being handled wait their turn.
    void ProcessTelegram(const QString& unit);
    // Units received and waiting to be handled.
    std::size_t queuedUnits() const { return m_units.size(); }
    // While this many units, or units of this many characters, wait to be handled, a console
    // takes nothing more from its link: the link keeps what it holds and stops reading, so a
    // reader flooding the link is slowed down to what the console handles, instead of filling
    // the memory. About 4 s of a fast reader's reads.
    static constexpr std::size_t MaxQueuedUnits = 4096;
    static constexpr qsizetype MaxQueuedChars = 1024 * 1024;

    // The write lamp of the tab "Schreiben": green while a tag write waits for its read.
    // Turning it green remembers the number in edtWriteText as the one written: only a read of
    // that number confirms the write and is stored, whatever the box holds by then.
    bool isWritePending() const;
    void setWritePending(bool pending);

    Lamp lamp() const { return m_lamp; }
    // Status bar panel 1 to 7.
    QString statusPanel(int number) const;
    const QString& lastID() const { return m_lastID; }
    qint32 rcvCount() const { return m_rcvCount; }
    const DebounceTable& debounceTable() const { return m_lastBook; }
    const QString& logPath() const { return m_logPath; }
    QStringList telegramRows() const;
    int telegramCount() const;
    QStringList bookingLines() const;
    // The entry of the booking list that is selected, -1 for none.
    int selectedBooking() const;
    QWidget* bridgeField(const QString& control) const;

    // ----- controls ------------------------------------------------------------------------
    QTabWidget* tabRDIF = nullptr;
    QLineEdit* edtRFIDIpAddr = nullptr;
    QLineEdit* edtRFIDIpPort = nullptr;
    QLineEdit* edtRFIDKopf = nullptr;
    QPushButton* cmdConnect = nullptr;
    QPushButton* cmdDisconnect = nullptr;
    QTableView* edtMessage = nullptr;
    std::array<QPushButton*, 2> cmdClear{}; // index 1 only where the profile has it
    QPushButton* cmdLogOpen = nullptr;
    QPushButton* cmdExportReaderdata = nullptr;
    QPushButton* Command1 = nullptr; // only where the profile has it
    QStatusBar* StatusBar1 = nullptr;
    QWidget* picBottom = nullptr;

    QTableView* dbgTransponder = nullptr;
    QLineEdit* edtTransponder = nullptr;
    QLineEdit* edtStartnummer = nullptr;
    QPushButton* cmdNeu = nullptr;
    QPushButton* cmdSpeichern = nullptr;
    QPushButton* cmdLoeschen = nullptr;
    QPushButton* cmdErase = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdImport = nullptr;
    TransponderData* dataTransponder = nullptr;

    QLineEdit* edtPruefRFID = nullptr;
    QLineEdit* edtPruefStartnummer = nullptr;

    QLineEdit* edtEntprellung = nullptr;
    QTableView* lisEinbuchen = nullptr; // a list of one column

    QComboBox* cboAntenne = nullptr;
    QLineEdit* edtWriteText = nullptr;
    QPushButton* cmdSchreibeStatus = nullptr;

    std::array<QCheckBox*, 4> chkAntAkt{};
    std::array<QSlider*, 4> sliAntenne{};
    std::array<QLineEdit*, 4> edtAntDaempfung{};
    std::array<QScrollBar*, 4> VScroll1{};
    QLineEdit* edtReaderZeit = nullptr;
    std::array<QLineEdit*, 4> edtRcvMsg{};

    QLineEdit* edtTransmit = nullptr;
    std::array<QLineEdit*, 4> edtTransMsg{};
    QPushButton* cmdTransponderWrite = nullptr;
    std::array<QLineEdit*, 4> lblAntDBM{};
    QPushButton* cmdAntLaden = nullptr;
    QPushButton* cmdAntSpeichern = nullptr;
    QLineEdit* edtSystemZeit = nullptr;
    QPushButton* cmdGetSystemTime = nullptr;
    QPushButton* cmdUhrzeitSchreiben = nullptr;
    QLineEdit* edtBefehl = nullptr;
    QPushButton* cmdBefehlSchreiben = nullptr;
    QPushButton* cmdMercuryStart = nullptr;   // only on the bridge consoles
    QPushButton* cmdMercuryBeenden = nullptr; // only on the bridge consoles
    QTableView* edtMercuryMessage = nullptr;  // only on the bridge consoles

    // The file dialog of this console; the name chosen last is offered again.
    FileDialogRequest CoDi1;

protected:
    ReaderConsole(ReaderKind kind, Services& services, MainWindowLink& mainWindow);

    Services& services() { return m_services; }

    // Typed text as a whole number within [min, max], as a number box must hold it: error 13
    // for text that is no number, 6 for one out of range.
    static qint64 wholeNumber(const QString& text, qint64 min, qint64 max);
    MainWindowLink& mainWindow() { return m_mainWindow; }

    // Text that arrived on the link in one receive event at `arrivedAt` (the console's clock
    // now when invalid): complete units are handled in order, the rest waits for the next
    // event. Each read is timed by this moment, however long the units before it take.
    void receiveText(const QString& chunk, const QDateTime& arrivedAt = QDateTime());
    // Text the link still held when it is being closed: queued like any other and handled
    // right after the close.
    void receiveLastText(const QString& chunk);
    // Forgets a unit left half-received when the link ends or starts anew.
    void resetReceive();
    // Whether the link's data is to be taken now; false while the queue is full. The console
    // calls takeWaitingInput() once the queue has room again.
    bool takesInput();
    // Hands what waits on the link to receiveText.
    virtual void takeWaitingInput() {}

    void setLamp(Lamp lamp);
    void setStatusPanel(int number, const QString& text);
    void setBackground(const QColor& color);
    void setButtonColor(QPushButton* button, const QColor& color);
    void log(const QString& text);
    // The engine's errors, one plain box each, as the handlers that go on after a failure
    // report them.
    void reportTrapped(long number, const QString& description);

    void closeEvent(QCloseEvent* event) override;
    // Enter presses the focused button, as the space bar does: the capture steps are typed
    // at the keyboard without reaching for the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The link as the commands use it: its socket state (7 connected) and sending on it.
    virtual int linkState() const { return 0; }
    virtual void sendOnLink(const QByteArray& data) { Q_UNUSED(data); }

    // The link ends with the window.
    virtual void closeLinkOnUnload() = 0;
    // Step hooks of the link-specific consoles.
    virtual void onLoaded() {}
    virtual void onUnloading() {}

private:
    struct Unit {
        QString text;
        quint64 event;
        QDateTime arrivedAt;
    };

    void buildControls();
    QWidget* buildTabMeldungen();
    QWidget* buildTabErfassen();
    QWidget* buildTabPruefen();
    QWidget* buildTabBuchen();
    QWidget* buildTabSchreiben();
    QWidget* buildTabAntennen();
    QWidget* buildTabUhrzeit();
    QWidget* buildTabBefehl();
    QWidget* buildTabReader();
    void resetControls();
    void loadSettings();
    void saveSettings();
    void showCurrentAssignment();

    // Commands and the bridge program.
    QString SendCommand(const QString& command);
    void askToConnect();
    bool connectFirst();
    void sendBridgeLetter(char letter);
    void resetCommandControls();
    QString bridgeCommandLine() const;
    void RunConsoleCommand(const QString& commandLine);
    void showBridgeRows(const QStringList& rows);
    void showBridgeState(bool running);
    void loadBridge();
    void unloadBridge();

    void queueText(const QString& chunk, const QDateTime& arrivedAt);
    void queueUnit(Unit unit);
    void resumeInput();
    void drainUnits();
    void handleQueuedUnits(bool all);
    void handleUnit(const QString& unit);
    // Both return false when the read was not handled and its tag must be able to book again.
    bool tabAction(int tab, const QString& telegram, const QString& id);
    bool book(const QString& id);
    void confirmTagWrite(const QString& telegram);
    void evaluateRegisterReplies(const QString& telegram);
    void evaluateClockReply(const QString& telegram);
    QString startnummerFor(const QString& id);
    void addBookingLine(const QString& text);
    void followNewest();
    void scheduleFollow();
    void refreshAssignments();

    const ConsoleProfile& m_profile;
    Services& m_services;
    MainWindowLink& m_mainWindow;

    bool m_loaded = false;
    Lamp m_lamp = Lamp::Red;
    std::array<QLabel*, 7> m_panels{};
    InfoTextModel* m_telegrams = nullptr;
    InfoTextModel* m_bookings = nullptr;
    // The grid and the booking list follow their newest rows at most every FollowMs, so that
    // a flood of reads is not slowed down by scrolling and repainting for every one of them.
    static constexpr int FollowMs = 50;
    QTimer* m_followTimer = nullptr;
    QElapsedTimer m_lastFollow;
    bool m_selectNewestBooking = false;
    std::map<QString, QWidget*> m_bridgeFields;
    InfoTextModel* m_bridgeRows = nullptr;
    BridgeLauncher* m_bridge = nullptr;

    // State of the receive path. m_lastID, m_rcvCount and m_lastStartnummer outlive an unload;
    // the debounce table starts empty on every load.
    DebounceTable m_lastBook;
    QString m_logPath;
    QString m_lastID;
    qint32 m_rcvCount = 0;
    qint32 m_lastStartnummer = 0;
    // The start number the pending tag write sent; none while the write lamp is red.
    std::optional<int> m_writtenStartnummer;
    // The debounce time in force: the last entry finished as a time DebounceTable::secondsOf
    // takes, else the default. Booking uses it and it is stored, also while the box is empty
    // or being retyped.
    QString m_debounceText = QStringLiteral("60");
    // The entry being typed held text that is no number: it is refused as a whole.
    bool m_debounceRefused = false;
    LineAssembler m_assembler;
    std::deque<Unit> m_units;
    qsizetype m_queuedChars = 0;
    // The link was left holding data because the queue was full.
    bool m_inputHeld = false;
    // Units are handled in slices of DrainSliceMs, so a burst of reads lets the window and
    // the link run in between: new data is then taken and timed as it arrives.
    static constexpr int DrainSliceMs = 20;
    QTimer* m_drainTimer = nullptr;
    // When the bytes of the unit being handled arrived.
    QDateTime m_arrivedAt;
    quint64 m_event = 0;
    quint64 m_unitEvent = 0;
    bool m_draining = false;
    // Read time of the last tag read of the event being handled; the zero date at its start.
    QDateTime m_readTime;
};
