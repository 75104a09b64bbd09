#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "core/SystemFormats.h"
#include "core/modGlobal.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "platform/Services.h"
#include "platform/WholeFile.h"
#include "results/BackupLog.h"
#include "results/DataControl.h"
#include "results/DirectBooking.h"
#include "results/ExportFile.h"
#include "results/ResultEntry.h"
#include "timing/frmSplash.h"
#include "timing/ElidedLabel.h"
#include "timing/Twips.h"
#include "timing/WrapButton.h"
#include "Version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

using Twips::px;

constexpr int FormHeightTwips = 9900;

QLabel* makeClock(QWidget* parent, const char* name) {
    auto* l = new QLabel("00:00:00", parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setProperty(Skin::TagProperty, "#");
    QFont f("Monospace");
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSize(20);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    l->setPalette(pal);
    return l;
}

} // namespace

frmChronivo::frmChronivo(Services& services, QWidget* parent) : QMainWindow(parent), m_services(services) {
    setObjectName("frmChronivo");
    Skin::MarkProgramWindow(*this);
    StartZeit.resize(10001);
    buildControls();
    buildRunSelector();
    buildMenus();
    ApplyExpertModeLayout();
}

frmChronivo::~frmChronivo() {
    // The base class closes the window when it is destroyed, which moves the focus and makes
    // the line edits finish editing; by then this class's members are gone. No signal may reach
    // its handlers from here on.
    disconnect(qApp, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

void frmChronivo::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("central");
    setCentralWidget(central);

    lblText = new QLabel("Lauf läuft seit:", central);
    lblText->setObjectName("lblText");
    lblText->setGeometry(8, 4, 150, 18);
    lblStartTimeOut = makeClock(central, "lblStartTimeOut");
    lblStartTimeOut->setText("");
    lblStartTimeOut->setGeometry(8, 22, 150, 40);
    sspWertungTimeOut = makeClock(central, "sspWertungTimeOut");
    // Wide enough for a negative race clock after midnight ("-23:-58:00").
    sspWertungTimeOut->setGeometry(166, 22, 190, 40);
    lblSysTimeOut = makeClock(central, "lblSysTimeOut");
    lblSysTimeOut->setGeometry(475, 22, 150, 40);
    auto* lblUhr = new QLabel("Uhrzeit:", central);
    lblUhr->setGeometry(475, 4, 150, 18);
    shpAnzeige = new QFrame(central);
    shpAnzeige->setObjectName("shpAnzeige");
    shpAnzeige->setToolTip("Verbindung zur Netzwerk-Anzeige");
    shpAnzeige->setProperty(Skin::TagProperty, "#");
    shpAnzeige->setGeometry(451, 34, 16, 16);
    shpAnzeige->hide();
    lblInfo = new QLabel(central);
    lblInfo->setObjectName("lblInfo");
    lblInfo->setWordWrap(true);
    lblInfo->setGeometry(8, 22, 460, 40);
    lblInfo->hide();

    cboLaufnummer = new QComboBox(central);
    cboLaufnummer->setObjectName("cboLaufnummer");
    cboLaufnummer->setEditable(true);
    cboLaufnummer->setGeometry(8, 70, 150, 26);
    cboLaufnummer->setToolTip("Lauf");
    cmdStart = new QPushButton("&Lauf starten", central);
    cmdStart->setObjectName("cmdStart");
    cmdStart->setGeometry(166, 68, 108, 30);
    cmdStartVorgabe = new QPushButton("&Lauf mit Startzeitvorgabe starten", central);
    cmdStartVorgabe->setObjectName("cmdStartVorgabe");
    cmdStartVorgabe->setGeometry(278, 68, 218, 30);
    cmdAutoStart = new QPushButton("&Countdown starten", central);
    cmdAutoStart->setObjectName("cmdAutoStart");
    cmdAutoStart->setGeometry(500, 68, 125, 30);
    cmdDurchlauf = new WrapButton("Lauf starten", central);
    cmdDurchlauf->setObjectName("cmdDurchlauf");
    cmdDurchlauf->hide();
    chkLaufNrStartzeit = new QCheckBox("Startnummern-Startzeit Zuordnung aktiv", central);
    chkLaufNrStartzeit->setObjectName("chkLaufNrStartzeit");
    chkLaufNrStartzeit->setGeometry(166, 100, 300, 22);

    edtStartnummer = new QLineEdit(central);
    edtStartnummer->setObjectName("edtStartnummer");
    edtStartnummer->setToolTip("Startnummer des Teilnehmers");
    edtStartnummer->setGeometry(8, 128, 150, 30);
    QFont big = edtStartnummer->font();
    big.setPointSize(14);
    edtStartnummer->setFont(big);
    // Three minutes until a stored start window is read: net-time pass-through switched on
    // from the menu must not start with an empty window, which would give no first passes.
    edtStartdauer = new QLineEdit("3", central);
    edtStartdauer->setObjectName("edtStartdauer");
    edtStartdauer->setToolTip("Startdauer in Minuten für die Nettozeitmessung");
    edtStartdauer->setGeometry(8, 100, 150, 24);
    edtStartdauer->hide();
    cmdWertung = new WrapButton("&Stoppen", central);
    cmdWertung->setObjectName("cmdWertung");
    cmdWertung->setToolTip("Eine Wertung anlegen");
    QFont stop = cmdWertung->font();
    stop.setPointSize(16);
    stop.setBold(true);
    cmdWertung->setFont(stop);
    cmdWertung->setEnabled(false);
    cmdDurchlauf->setFont(stop);

    // The result grid's caption, and its column-group caption naming the run shown.
    lblZeitenTitle = new QLabel("Erfasste Wertungen", central);
    lblZeitenTitle->setObjectName("lblZeitenTitle");
    lblZeitenTitle->setGeometry(166, 126, 250, 18);
    QFont titleFont = lblZeitenTitle->font();
    titleFont.setBold(true);
    lblZeitenTitle->setFont(titleFont);
    lblZeitenCaption = new QLabel(central);
    lblZeitenCaption->setObjectName("lblZeitenCaption");
    lblZeitenCaption->setGeometry(416, 126, 80, 18);
    lblZeitenCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dbgZeiten = new QTableView(central);
    dbgZeiten->setObjectName("dbgZeiten");
    dbgZeiten->setToolTip("Tabelle mit erfassten Wertungen");
    dbgStartnummern = new QTableView(central);
    dbgStartnummern->setObjectName("dbgStartnummern");
    for (QTableView* g : {dbgZeiten, dbgStartnummern}) {
        g->verticalHeader()->setDefaultSectionSize(px(239) + 4);
        g->verticalHeader()->hide();
        g->setSelectionBehavior(QAbstractItemView::SelectRows);
    }

    cmdEnde = new QPushButton("&Beenden", central);
    cmdEnde->setObjectName("cmdEnde");

    for (int i = 0; i < 10; ++i) {
        // A wave's caption holds its name, time and numbers, too long for one line.
        cmdSetStartZeit[i] = new WrapButton(central);
        cmdSetStartZeit[i]->setObjectName(QStringLiteral("cmdSetStartZeit_%1").arg(i));
        cmdSetStartZeit[i]->setGeometry(640, 68 + i * 40, 160, 34);
        cmdSetStartZeit[i]->hide();
        edtImZiel[i] = new QLineEdit("0", central);
        edtImZiel[i]->setObjectName(QStringLiteral("edtImZiel_%1").arg(i));
        edtImZiel[i]->setGeometry(804, 72, 50, 26);
        edtImZiel[i]->move(804, 72 + i * 40);
        edtImZiel[i]->hide();
    }

    picBottom = new QWidget(central);
    picBottom->setObjectName("picBottom");
    Line1 = new QFrame(picBottom);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::HLine);
    sscLogDatei = new QCheckBox("Zusatzsicherung:", picBottom);
    sscLogDatei->setObjectName("sscLogDatei");
    sscLogDatei->setToolTip("Sobald eine Wertung erfasst wird, wird diese in die Backup Datei geschrieben! "
                            "Nicht zum Import in Vek. Lauf geeignet!");
    sscLogDatei->setGeometry(8, 6, 130, 20);
    // A long path is shortened in the middle, its ends kept, and shown whole as the tip.
    lblLogdatei = new ElidedLabel(picBottom);
    lblLogdatei->setObjectName("lblLogdatei");
    lblLogdatei->setGeometry(140, 6, 480, 20);

    Data1 = new DataControl(this);
    Data2 = new DataControl(this);
    dbgZeiten->setModel(Data1);
    dbgStartnummern->setModel(Data2);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(250);
    Timer3 = new QTimer(this);
    Timer3->setInterval(100);
    Timer3->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &frmChronivo::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmChronivo::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmChronivo::Timer3_Timer);
    // The system clock and the board feed run from the start; the race clock only in a run.
    Timer2->start();
    Timer3->start();

    connect(cmdEnde, &QPushButton::clicked, this, &frmChronivo::cmdEnde_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmChronivo::cmdStart_Click);
    buildResultArea();
    buildFilesArea();

    resize(px(Twips::NormalWidth), px(FormHeightTwips));
}

void frmChronivo::buildMenus() {
    QMenu* datei = menuBar()->addMenu("&Datei");
    mnuBeenden = datei->addAction("&Beenden");
    mnuBeenden->setObjectName("mnuBeenden");
    connect(mnuBeenden, &QAction::triggered, this, &frmChronivo::mnuBeenden_Click);
    buildResultMenu(datei);
    buildFilesMenu(datei);
    buildCorrection(datei);

    QMenu* prefs = menuBar()->addMenu("&Einstellungen");
    prefs->setObjectName("mnuPrefs");
    mnuDurchlaufModus = prefs->addAction("&Durchlaufmodus (Einzelzeit)");
    mnuDurchlaufModusMulti = prefs->addAction("&Durchlaufmodus (Nettozeit)");
    mnuExpertMode = prefs->addAction("&Expertenmodus");
    mnuTriathlon = prefs->addAction("&Zwischenzeiten");
    prefs->addSeparator();
    mnuDirekteinbuchung = prefs->addAction("D&irekteinbuchung");
    mnuPathDatabase = prefs->addAction("Datenbank für Direkteinbuchung");
    mnuPathDatabase->setObjectName("mnuPathDatabase");
    prefs->addSeparator();
    mnuPrefsDisplay = prefs->addAction("&Zeit-Anzeige Farbe");
    mnuPrefsDisplay->setObjectName("mnuPrefsDisplay");
    mnuPrefsGridFont = prefs->addAction("&Gitter Schriftart");
    mnuPrefsGridFont->setObjectName("mnuPrefsGridFont");
    for (QAction* a :
         {mnuDurchlaufModus, mnuDurchlaufModusMulti, mnuExpertMode, mnuTriathlon, mnuDirekteinbuchung})
        a->setCheckable(true);
    mnuDurchlaufModus->setObjectName("mnuDurchlaufModus");
    mnuDurchlaufModusMulti->setObjectName("mnuDurchlaufModusMulti");
    mnuExpertMode->setObjectName("mnuExpertMode");
    mnuTriathlon->setObjectName("mnuTriathlon");
    mnuDirekteinbuchung->setObjectName("mnuDirekteinbuchung");
    toggleFromMenu(mnuDurchlaufModus, &frmChronivo::mnuDurchlaufModus_Click);
    toggleFromMenu(mnuDurchlaufModusMulti, &frmChronivo::mnuDurchlaufModusMulti_Click);
    toggleFromMenu(mnuExpertMode, &frmChronivo::mnuExpertMode_Click);
    toggleFromMenu(mnuTriathlon, &frmChronivo::mnuTriathlon_Click);
    toggleFromMenu(mnuDirekteinbuchung, &frmChronivo::mnuDirekteinbuchung_Click);
    connect(mnuPathDatabase, &QAction::triggered, this, &frmChronivo::mnuPathDatabase_Click);
    connect(mnuPrefsDisplay, &QAction::triggered, this, &frmChronivo::mnuPrefsDisplay_Click);
    connect(mnuPrefsGridFont, &QAction::triggered, this, &frmChronivo::mnuPrefsGridFont_Click);
    buildRunMenu();
    buildReaderMenu();
    buildWaveMenu();
    buildAboutMenu();
}

void frmChronivo::startUp() {
    Form_Initialize();
    Form_Load();
    show();
    Form_Activate();
}

qint32 frmChronivo::currentLauf() const {
    const qint64 n = Convert::ValLong(m_sLaufnummer);
    return n == 0 ? 1 : static_cast<qint32>(n);
}

void frmChronivo::showError(long number, const QString& description) {
    m_services.dialogs->MsgBox(QStringLiteral("Fehler: %1 - %2").arg(number).arg(description), 16);
}

void frmChronivo::setClockColor(QLabel* clock, quint32 oleColor) {
    QPalette pal = clock->palette();
    pal.setColor(QPalette::WindowText, Skin::OleColor(oleColor));
    clock->setPalette(pal);
}

// ----- creation, load, resize ---------------------------------------------------------------

void frmChronivo::Form_Initialize() {
    Skin::PaintGradient(*picBottom, QColor(255, 231, 162), QColor(255, 172, 66), 1);
    Form_Resize();
}

void frmChronivo::Form_Resize() {
    QWidget* inner = centralWidget();
    const int barHeight = 54;
    picBottom->setGeometry(0, inner->height() - barHeight, inner->width(), barHeight);
    Line1->setGeometry(0, 0, picBottom->width(), 2);
}

void frmChronivo::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmChronivo::Form_Load() {
    SettingsStore& settings = *m_services.settings;
    try {
        // 1. Splash, modal; the load goes on when it has closed.
        {
            frmSplash splash(m_services, this);
            splash.Form_Load();
            splash.exec();
        }
        // 2. No start time shown yet.
        lblStartTimeOut->setText("");
        // 3. The local database. A missing file is an open error: it is never created here.
        LocalDatabase& local = m_services.local;
        local.gsDbPath = m_services.programFolder + "/Chronvo.mdb";
        // Temporary files of writes that a kill cut short.
        WholeFile::RemoveLeftovers(
            local.gsDbPath, settings.location(),
            {settings.GetSetting(Section, "FastSaveDatei", ExportFile::DefaultFastSavePath())});
        local.gwsLocal = &m_services.dbEngine->Workspaces(0);
        local.gdbLocal = local.gwsLocal->OpenDatabase(local.gsDbPath, false, false, ConnectString);
        // A file that cannot take results is reported now, before the race, not at the first
        // finisher; the load stops as for a missing file.
        try {
            local.gdbLocal->CheckWritableAndSound();
        } catch (const RuntimeError&) {
            local.gdbLocal->Close();
            local.gdbLocal.reset();
            throw;
        }
        // 4. The race program's database, when direct booking is on.
        if (DirectBooking::isOn(settings)) {
            const QString path = settings.GetSetting(Section, DirectBooking::KeyPath, "");
            if (!path.isEmpty() && modGlobal::FileExists(path)) {
                m_dbRace = m_services.dbEngine->Workspaces(0).OpenDatabase(path, false, false, ConnectString);
            } else if (!path.isEmpty()) {
                m_services.dialogs->MsgBox("Angegebene Vek. Lauf - Datenbank nicht gefunden!\r"
                                           "Direkteinbuchung wird ausgeschaltet!",
                                           16);
                settings.SaveBool(Section, DirectBooking::KeyOn, false);
            } else {
                m_services.dialogs->MsgBox("Keine Vek. Lauf - Datenbank für Direkteinbuchung angegeben!\r"
                                           "Direkteinbuchung wird ausgeschaltet!",
                                           16);
                settings.SaveBool(Section, DirectBooking::KeyOn, false);
            }
        }
        // 5. Grids on the selected run.
        Data1->setDatabase(local.gdbLocal);
        Data2->setDatabase(local.gdbLocal);
        QFont gridFont("Arial", 8);
        dbgZeiten->setFont(gridFont);
        showRunCaption();
        RefreshResultViews();
        // 6. Caption with the program's version.
        setWindowTitle(QStringLiteral("%1 für Lauf V %2.%3.%4")
                           .arg(CHRONIVO_APP_TITLE)
                           .arg(CHRONIVO_VERSION_MAJOR)
                           .arg(CHRONIVO_VERSION_MINOR)
                           .arg(CHRONIVO_VERSION_REVISION));
        // 7. Start times by start number.
        LoadStartZeitenArray();
        // 8. Runs 1 to 10, named after the race program's runs when direct booking is on.
        fillRunSelector();
        // 9.
        lblInfo->setText("Startzeit der Startnummern wird aus der Startzeit-Tabelle ermittelt!!!");
        // 10. Start times by start number widen the window for the wave buttons.
        const bool byNumber = Convert::Val(settings.GetSetting(Section, "LaufNrStartzeit", "0")) != 0;
        chkLaufNrStartzeit->setChecked(byNumber);
        if (byNumber) {
            resize(px(Twips::WaveWidth), height());
            BuildStartZeitButtons();
            lblText->hide();
            lblStartTimeOut->hide();
            sspWertungTimeOut->hide();
            lblInfo->show();
        } else {
            lblText->show();
            lblStartTimeOut->show();
            sspWertungTimeOut->show();
            lblInfo->hide();
        }
        // 11. Display board over TCP.
        ConnectAnzeigeIp();
        // 12. The common look.
        Skin::ApplyFormSkin(*this);
        m_loaded = true;
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
    lockRunControlsWithoutDatabase();
}

// ----- activation ---------------------------------------------------------------------------

void frmChronivo::Form_Activate() {
    if (m_activating || m_unloaded)
        return;
    m_activating = true;
    SettingsStore& settings = *m_services.settings;
    try {
        // 1.
        if (Data2->database())
            Data2->RefreshRows();
        // 2. Colours of the time displays.
        m_lDisplayColor = static_cast<quint32>(
            Convert::ValLong(settings.GetSetting(Section, "Displaycolor", QString::number(0x80FF80))));
        m_lStopColor = 0xFF;
        setClockColor(lblSysTimeOut, m_lDisplayColor);
        setClockColor(lblStartTimeOut, m_lDisplayColor);
        setClockColor(sspWertungTimeOut, m_lDisplayColor);
        // 3. Menu ticks and modes.
        mnuDirekteinbuchung->setChecked(DirectBooking::isOn(settings));
        mnuExpertMode->setChecked(settings.GetBool(Section, "Expertenmodus", false));
        ApplyExpertModeLayout();
        mnuDurchlaufModusMulti->setChecked(settings.GetBool(Section, "DurchlaufmodusMulti", false));
        if (mnuDurchlaufModusMulti->isChecked()) {
            edtStartdauer->show();
            edtStartdauer->setText(
                settings.GetSetting(Section, QStringLiteral("Lauf%1Startdauer").arg(runText()), "3"));
        } else {
            edtStartdauer->hide();
        }
        mnuDurchlaufModus->setChecked(settings.GetBool(Section, "Durchlaufmodus", false));
        ApplyDurchlaufModus();
        mnuTriathlon->setChecked(settings.GetBool(Section, "Triathlonmodus", false));
        lblZeitenTitle->setText(mnuTriathlon->isChecked() ? "Erfasste Wertungen (Zwischenzeiten)"
                                                          : "Erfasste Wertungen");
        // 4. Backup and fast-save paths.
        lblLogdatei->setText(
            settings.GetSetting(Section, "LogDatei", BackupLog::DefaultPath(m_services.clock->now().date())));
        lblFastSave->setText(
            settings.GetSetting(Section, "FastSaveDatei", ExportFile::DefaultFastSavePath()));
        // 5. Grid fonts.
        QFont gridFont = dbgZeiten->font();
        gridFont.setFamily(settings.GetSetting(Section, "dbgZeiten.Font.Name", gridFont.family()));
        const double size = Convert::Val(
            settings.GetSetting(Section, "dbgZeiten.Font.Size", QString::number(gridFont.pointSizeF())));
        if (size > 0)
            gridFont.setPointSizeF(size);
        dbgZeiten->setFont(gridFont);
        dbgStartnummern->setFont(gridFont);
        applyRowStyleFonts(gridFont);
        // 6. Resume a run left running.
        const QString n = runText();
        const QString storedStart = settings.GetSetting(Section, "Lauf" + n + "Startzeit", "");
        if (Convert::Val(settings.GetSetting(Section, "Lauf" + n + "Gestartet", "0")) != 0 &&
            !refuseBrokenRunStart(n, storedStart)) {
            lblStartTimeOut->setText(storedStart);
            cmdStart_Click();
            resumeRunStart(n, lblStartTimeOut->text());
        } else {
            sspWertungTimeOut->setText("");
        }
        // 7. Contact input: reopened on every activation when it is on.
        OpenContactInput();
        // 8. Finisher counters of the waves.
        for (int i = 0; i < 10; ++i)
            edtImZiel[i]->setText(settings.GetSetting(Section, QStringLiteral("ImZiel%1").arg(i), "0"));
        // 9.
        LoadGridColWidths();
        // 10.
        SendAnzeigeRS232("00:00:00");
        // 11. A start line in the backup file, whether or not the backup is ticked.
        AppendLogLine(lblLogdatei->text(),
                      BackupLog::StartLine(m_services.clock->now().time().toString("hh:mm:ss")));
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
    m_activating = false;
}

void frmChronivo::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !m_loaded)
        return;
    if (!isActiveWindow()) {
        // Leaving for another of the program's windows (a dialog, a console) means the
        // next return is an activation; a message box or another program does not.
        m_leftForProgramWindow = Skin::IsProgramWindow(QApplication::activeWindow());
    } else if (m_leftForProgramWindow) {
        m_leftForProgramWindow = false;
        QTimer::singleShot(0, this, &frmChronivo::Form_Activate);
    }
}

// ----- shut-down ----------------------------------------------------------------------------

void frmChronivo::cmdEnde_Click() {
    Timer1->stop();
    cmdStart->setEnabled(true);
    cmdAutoStart->setEnabled(true);
    cmdStartVorgabe->setEnabled(true);
    if (m_services.local.gdbLocal)
        m_services.local.gdbLocal->Close();
    Form_Unload();
}

void frmChronivo::mnuBeenden_Click() {
    cmdEnde_Click();
}

void frmChronivo::closeEvent(QCloseEvent* event) {
    // The close box unloads without closing the database, like the classic window.
    Form_Unload();
    event->accept();
}

void frmChronivo::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    SaveFormLayout();
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    closeSerialPorts();
    hide();
    // Ends the program whatever other windows are open.
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}
