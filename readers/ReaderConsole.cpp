#include "readers/ReaderConsole.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "core/modGlobal.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "platform/WholeFile.h"
#include "readers/AssignmentFile.h"
#include "readers/ConsoleControls.h"
#include "readers/InfoTextModel.h"
#include "readers/MainWindowLink.h"
#include "readers/TransponderData.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The three lamp pictures; the window's icon is always one of them.
QIcon lampIcon(Lamp lamp) {
    static const auto draw = [](const QColor& color) {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(12, 11, 16);
        g.setColorAt(0, color.lighter(170));
        g.setColorAt(1, color);
        p.setBrush(g);
        p.setPen(QPen(color.darker(200), 2));
        p.drawEllipse(3, 3, 26, 26);
        return QIcon(pm);
    };
    static const QIcon red = draw(QColor(220, 0, 0));
    static const QIcon yellow = draw(QColor(240, 200, 0));
    static const QIcon green = draw(QColor(0, 190, 0));
    return lamp == Lamp::Red ? red : lamp == Lamp::Yellow ? yellow : green;
}

constexpr long PathFileAccessError = 75;

} // namespace

using ConsoleControls::button;
using ConsoleControls::lineEdit;
using ConsoleControls::pictureButton;

ReaderConsole::ReaderConsole(ReaderKind kind, Services& services, MainWindowLink& mainWindow)
    : QWidget(nullptr), m_profile(ProfileOf(kind)), m_services(services), m_mainWindow(mainWindow),
      m_assembler(m_profile.lineEnding) {
    setObjectName(QString::fromUtf8(m_profile.name));
    setWindowTitle(QString::fromUtf8(m_profile.caption));
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    connect(m_followTimer, &QTimer::timeout, this, &ReaderConsole::followNewest);
    m_drainTimer = new QTimer(this);
    m_drainTimer->setSingleShot(true);
    m_drainTimer->setInterval(0);
    connect(m_drainTimer, &QTimer::timeout, this, &ReaderConsole::drainUnits);
    resize(680, 540);
}

ReaderConsole::~ReaderConsole() = default;

// ----- controls ----------------------------------------------------------------------------

void ReaderConsole::buildControls() {
    tabRDIF = new QTabWidget;
    tabRDIF->setObjectName("tabRDIF");
    tabRDIF->addTab(buildTabMeldungen(), QStringLiteral("Meldungen"));
    tabRDIF->addTab(buildTabErfassen(), QStringLiteral("Erfassen"));
    tabRDIF->addTab(buildTabPruefen(), QStringLiteral("Prüfen"));
    tabRDIF->addTab(buildTabBuchen(), QStringLiteral("Buchen"));
    tabRDIF->addTab(buildTabSchreiben(), QStringLiteral("Schreiben"));
    tabRDIF->addTab(buildTabAntennen(), QString::fromUtf8(m_profile.antennaTabCaption));
    tabRDIF->addTab(buildTabUhrzeit(), QStringLiteral("Uhrzeit"));
    tabRDIF->addTab(buildTabBefehl(), QStringLiteral("Befehl"));
    if (m_profile.bridgeSection)
        tabRDIF->addTab(buildTabReader(), QStringLiteral("Reader"));

    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    const std::array<int, 7> stretch{3, 7, 2, 1, 1, 1, 1};
    for (size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel;
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setMinimumWidth(i >= 3 ? 36 : 80);
        // The panels change with every read; their width must not follow the text, or each
        // read would lay out and repaint the whole window.
        m_panels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addWidget(m_panels[i], stretch[i]);
    }

    // The bottom bar carries the status bar over its gradient.
    picBottom = new QWidget;
    picBottom->setObjectName("picBottom");
    auto* bottom = new QVBoxLayout(picBottom);
    bottom->setContentsMargins(4, 6, 4, 6);
    bottom->addWidget(StatusBar1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(tabRDIF, 1);
    layout->addWidget(picBottom);

    connect(tabRDIF, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == TabErfassen)
            dbgTransponder->resizeColumnsToContents();
    });
}

QWidget* ReaderConsole::buildTabMeldungen() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    edtRFIDIpAddr = lineEdit("edtRFIDIpAddr", QString::fromUtf8(m_profile.addrToolTip));
    edtRFIDIpPort = lineEdit("edtRFIDIpPort", QString::fromUtf8(m_profile.portToolTip));
    edtRFIDKopf = lineEdit("edtRFIDKopf", QStringLiteral("Anzahl der Bytes für den Telegrammkopf"));
    edtRFIDIpPort->setMaximumWidth(90);
    edtRFIDKopf->setMaximumWidth(60);
    grid->addWidget(new QLabel(QString::fromUtf8(m_profile.addrLabel)), 0, 0);
    grid->addWidget(edtRFIDIpAddr, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(m_profile.portLabel)), 0, 2);
    grid->addWidget(edtRFIDIpPort, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("anz. Kopfzeichen:")), 0, 4);
    grid->addWidget(edtRFIDKopf, 0, 5);

    cmdConnect = button("cmdConnect", QStringLiteral("Verbinden"));
    cmdDisconnect = button("cmdDisconnect", QStringLiteral("Trennen"));
    auto* links = new QHBoxLayout;
    links->addWidget(cmdConnect);
    links->addWidget(cmdDisconnect);
    if (m_profile.hasPollButton) {
        Command1 = button("Command1", QStringLiteral("Pollen starten"));
        links->addWidget(Command1);
        connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    }
    links->addStretch(1);
    edtTransmit = lineEdit("edtTransmit", QStringLiteral("Befehl an den Reader, Enter sendet"));
    links->addWidget(edtTransmit, 2);
    connect(edtTransmit, &QLineEdit::returnPressed, this, [this] { edtTransmit_KeyPress(13); });
    connect(edtRFIDKopf, &QLineEdit::textChanged, this, [this] { edtRFIDKopf_Change(); });
    grid->addLayout(links, 1, 0, 1, -1);

    m_telegrams = new InfoTextModel(this);
    edtMessage = new QTableView;
    edtMessage->setObjectName("edtMessage");
    edtMessage->setModel(m_telegrams);
    edtMessage->verticalHeader()->hide();
    edtMessage->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    edtMessage->verticalHeader()->setDefaultSectionSize(20);
    edtMessage->horizontalHeader()->setStretchLastSection(true);
    edtMessage->setSelectionBehavior(QAbstractItemView::SelectRows);
    edtMessage->setEditTriggers(QAbstractItemView::NoEditTriggers);
    edtMessage->setFont(QFont(QStringLiteral("Monospace"), 9));
    grid->addWidget(edtMessage, 2, 0, 1, -1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);

    cmdClear[0] = button("cmdClear", QStringLiteral("Anzeige löschen"));
    cmdLogOpen = button("cmdLogOpen", QStringLiteral("Protokoll-Datei öffnen"));
    cmdExportReaderdata = pictureButton("cmdExportReaderdata", QStyle::SP_DialogSaveButton,
                                        QStringLiteral("Meldungen speichern"));
    auto* actions = new QHBoxLayout;
    actions->addWidget(cmdClear[0]);
    actions->addWidget(cmdLogOpen);
    actions->addStretch(1);
    actions->addWidget(cmdExportReaderdata);
    grid->addLayout(actions, 3, 0, 1, -1);

    connect(cmdConnect, &QPushButton::clicked, this, [this] { cmdConnect_Click(); });
    connect(cmdDisconnect, &QPushButton::clicked, this, [this] { cmdDisconnect_Click(); });
    connect(cmdClear[0], &QPushButton::clicked, this, [this] { cmdClear_Click(0); });
    connect(cmdLogOpen, &QPushButton::clicked, this, &ReaderConsole::cmdLogOpen_Click);
    connect(cmdExportReaderdata, &QPushButton::clicked, this, &ReaderConsole::cmdExportReaderdata_Click);
    return page;
}

QWidget* ReaderConsole::buildTabErfassen() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    dataTransponder = new TransponderData(this);
    auto* caption = new QLabel(QStringLiteral("Transponder"));
    dbgTransponder = new QTableView;
    dbgTransponder->setObjectName("dbgTransponder");
    dbgTransponder->setModel(dataTransponder);
    dbgTransponder->verticalHeader()->hide();
    dbgTransponder->verticalHeader()->setDefaultSectionSize(20);
    dbgTransponder->horizontalHeader()->setStretchLastSection(true);
    dbgTransponder->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgTransponder->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgTransponder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tags of one batch share their leading digits and differ at the end: a cut ID keeps its end.
    dbgTransponder->setTextElideMode(Qt::ElideLeft);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(dbgTransponder, 1, 0, 6, 1);

    edtTransponder = lineEdit("edtTransponder");
    edtStartnummer = lineEdit("edtStartnummer");
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Transponder ID"), edtTransponder);
    fields->addRow(QStringLiteral("Startnummer"), edtStartnummer);
    grid->addLayout(fields, 1, 1, 1, 3);

    cmdNeu = button("cmdNeu", QStringLiteral("&Neu"));
    cmdSpeichern = button("cmdSpeichern", QStringLiteral("&Speichern"));
    cmdLoeschen = button("cmdLöschen", QStringLiteral("&Löschen"));
    grid->addWidget(cmdNeu, 2, 1);
    grid->addWidget(cmdSpeichern, 2, 2);
    grid->addWidget(cmdLoeschen, 2, 3);

    cmdErase =
        pictureButton("cmdErase", QStyle::SP_TrashIcon, QStringLiteral("Alle Transponderdaten löschen"));
    cmdExport = pictureButton("cmdExport", QStyle::SP_DialogSaveButton,
                              QStringLiteral("Transponderdaten exportieren"));
    cmdImport = pictureButton("cmdImport", QStyle::SP_DialogOpenButton,
                              QStringLiteral("Transponderdaten importieren"));
    auto* files = new QHBoxLayout;
    files->addWidget(cmdErase);
    files->addStretch(1);
    files->addWidget(cmdExport);
    files->addWidget(cmdImport);
    grid->addLayout(files, 3, 1, 1, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);

    connect(dataTransponder, &TransponderData::currentChanged, this, &ReaderConsole::showCurrentAssignment);
    connect(dbgTransponder->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    dataTransponder->setCurrentRow(current.row());
            });
    connect(cmdNeu, &QPushButton::clicked, this, &ReaderConsole::cmdNeu_Click);
    connect(cmdSpeichern, &QPushButton::clicked, this, &ReaderConsole::cmdSpeichern_Click);
    connect(cmdLoeschen, &QPushButton::clicked, this, &ReaderConsole::cmdLoeschen_Click);
    connect(cmdErase, &QPushButton::clicked, this, &ReaderConsole::cmdErase_Click);
    connect(cmdExport, &QPushButton::clicked, this, &ReaderConsole::cmdExport_Click);
    connect(cmdImport, &QPushButton::clicked, this, &ReaderConsole::cmdImport_Click);
    connect(edtStartnummer, &QLineEdit::returnPressed, this, [this] { edtStartnummer_KeyPress(13); });
    connect(edtTransponder, &QLineEdit::returnPressed, this, [this] { edtTransponder_KeyPress(13); });
    return page;
}

QWidget* ReaderConsole::buildTabPruefen() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    edtPruefRFID = lineEdit("edtPrüfRFID");
    edtPruefStartnummer = lineEdit("edtPrüfStartnummer");
    QFont big = edtPruefStartnummer->font();
    big.setPointSize(16);
    big.setBold(true);
    edtPruefStartnummer->setFont(big);
    form->addRow(QStringLiteral("Transponder ID"), edtPruefRFID);
    form->addRow(QStringLiteral("Startnummer"), edtPruefStartnummer);
    connect(edtPruefRFID, &QLineEdit::returnPressed, this, [this] { edtPruefRFID_KeyPress(13); });
    return page;
}

QWidget* ReaderConsole::buildTabBuchen() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    edtEntprellung =
        lineEdit("edtEntprellung", QStringLiteral("Sekunden, in denen eine Startnummer nur einmal "
                                                  "gebucht wird"));
    edtEntprellung->setMaximumWidth(80);
    grid->addWidget(new QLabel(QStringLiteral("Entprellzeit (Sekunden):")), 0, 0);
    grid->addWidget(edtEntprellung, 0, 1);
    connect(edtEntprellung, &QLineEdit::textChanged, this, [this] { edtEntprellung_Change(); });
    connect(edtEntprellung, &QLineEdit::editingFinished, this, &ReaderConsole::edtEntprellung_LostFocus);
    // A one-column table rather than a list view: appending stays cheap however long the
    // list of a race day grows.
    m_bookings = new InfoTextModel(this);
    lisEinbuchen = new QTableView;
    lisEinbuchen->setObjectName("lisEinbuchen");
    lisEinbuchen->setModel(m_bookings);
    lisEinbuchen->horizontalHeader()->hide();
    lisEinbuchen->horizontalHeader()->setStretchLastSection(true);
    lisEinbuchen->verticalHeader()->hide();
    lisEinbuchen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lisEinbuchen->verticalHeader()->setDefaultSectionSize(20);
    lisEinbuchen->setShowGrid(false);
    lisEinbuchen->setSelectionBehavior(QAbstractItemView::SelectRows);
    lisEinbuchen->setSelectionMode(QAbstractItemView::SingleSelection);
    lisEinbuchen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->addWidget(lisEinbuchen, 1, 0, 1, -1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(2, 1);
    if (m_profile.clearsBookingList) {
        cmdClear[1] = button("cmdClear", QStringLiteral("Anzeige löschen"));
        cmdClear[1]->setProperty("Index", 1);
        grid->addWidget(cmdClear[1], 2, 0);
        connect(cmdClear[1], &QPushButton::clicked, this, [this] { cmdClear_Click(1); });
    }
    return page;
}

QWidget* ReaderConsole::bridgeField(const QString& control) const {
    const auto it = m_bridgeFields.find(control);
    return it == m_bridgeFields.end() ? nullptr : it->second;
}

// ----- load and unload ---------------------------------------------------------------------

void ReaderConsole::showConsole() {
    if (!m_loaded)
        Form_Load();
    show();
    raise();
    activateWindow();
}

void ReaderConsole::resetControls() {
    // A loaded window starts with its controls as built, like a window created anew.
    tabRDIF->setCurrentIndex(TabMeldungen);
    m_telegrams->clear();
    m_bookings->clear();
    for (QLabel* panel : m_panels)
        panel->clear();
    for (QLineEdit* box :
         {edtTransponder, edtStartnummer, edtPruefRFID, edtPruefStartnummer, edtWriteText, edtReaderZeit})
        box->clear();
    for (QLineEdit* box : edtRcvMsg)
        box->clear();
    for (int i = 0; i < 4; ++i) {
        chkAntAkt[i]->setChecked(false);
        sliAntenne[i]->setValue(sliAntenne[i]->minimum());
        VScroll1[i]->setValue(0);
        edtAntDaempfung[i]->clear();
    }
    cboAntenne->clear();
    resetCommandControls();
    setWritePending(false);
    // The inherited palette again: a reloaded console forgets the colour of its last link.
    setPalette(QPalette());
    setAutoFillBackground(false);
    m_assembler.clear();
}

void ReaderConsole::loadSettings() {
    const SettingsStore& settings = *m_services.settings;
    const QString section = QString::fromUtf8(m_profile.section);
    edtRFIDIpAddr->setText(settings.GetSetting(section, "Addr", QString::fromUtf8(m_profile.defaultAddr)));
    edtRFIDIpPort->setText(settings.GetSetting(section, "Port", QString::fromUtf8(m_profile.defaultPort)));
    edtRFIDKopf->setText(
        settings.GetSetting(section, "Kopfzeichen", QString::fromUtf8(m_profile.defaultKopf)));
    const QString debounce = settings.GetSetting(section, "Entprellung", QStringLiteral("60"));
    m_debounceText = DebounceTable::secondsOf(debounce) ? debounce : QStringLiteral("60");
    m_debounceRefused = false;
    edtEntprellung->setText(m_debounceText);
    for (const BridgeField& field : m_profile.bridgeFields) {
        const QString value = field.key ? settings.GetSetting(QString::fromUtf8(m_profile.bridgeSection),
                                                              QString::fromUtf8(field.key),
                                                              QString::fromUtf8(field.defaultValue))
                                        : QString::fromUtf8(field.defaultValue);
        QWidget* control = bridgeField(QString::fromUtf8(field.control));
        if (auto* box = qobject_cast<QLineEdit*>(control))
            box->setText(value);
        else if (auto* choice = qobject_cast<QComboBox*>(control))
            choice->setCurrentText(value);
    }
}

void ReaderConsole::saveSettings() {
    SettingsStore& settings = *m_services.settings;
    const QString section = QString::fromUtf8(m_profile.section);
    settings.SaveSetting(section, "Addr", edtRFIDIpAddr->text());
    settings.SaveSetting(section, "Port", edtRFIDIpPort->text());
    settings.SaveSetting(section, "Kopfzeichen", edtRFIDKopf->text());
    settings.SaveSetting(section, "Entprellung", m_debounceText);
    for (const BridgeField& field : m_profile.bridgeFields) {
        if (!field.key)
            continue;
        QWidget* control = bridgeField(QString::fromUtf8(field.control));
        const QString value = qobject_cast<QLineEdit*>(control)
                                  ? qobject_cast<QLineEdit*>(control)->text()
                                  : qobject_cast<QComboBox*>(control)->currentText();
        settings.SaveSetting(QString::fromUtf8(m_profile.bridgeSection), QString::fromUtf8(field.key), value);
    }
}

void ReaderConsole::Form_Load() {
    resetControls();
    // On every button, also those a console adds to its tabs (installing twice keeps one).
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this);
    // 1.-3.
    setLamp(Lamp::Red);
    loadSettings();
    setStatusPanel(1, QStringLiteral("nicht verbunden"));
    // 4. The assignment list on the local database.
    dataTransponder->setDatabase(m_services.local.gdbLocal);
    try {
        dataTransponder->Refresh();
    } catch (const RuntimeError& e) {
        reportTrapped(e.number(), e.description());
    }
    // 5.
    cboAntenne->addItems({"1", "2", "3", "4"});
    // 6. A loaded console books every start number anew.
    m_lastBook.clear();
    m_logPath = modGlobal::GetTempDir() + QStringLiteral("Reader.txt");
    loadBridge();
    // 7.
    Skin::PaintGradient(*picBottom, QColor(255, 231, 162), QColor(255, 172, 66), 1);
    m_loaded = true;
    onLoaded();
}

void ReaderConsole::Form_Unload() {
    if (!m_loaded)
        return;
    onUnloading();
    unloadBridge();
    // Closing the window ends what was being typed.
    edtEntprellung_LostFocus();
    saveSettings();
    closeLinkOnUnload();
    // Reads received before the window closed are still handled.
    handleQueuedUnits(true);
    resetReceive();
    m_loaded = false;
}

void ReaderConsole::closeEvent(QCloseEvent* event) {
    // When the main window ends the program, the consoles go without their unload handling.
    if (!m_mainWindow.isEndingProgram())
        Form_Unload();
    event->accept();
}

bool ReaderConsole::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (button->isEnabled())
                button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

qint64 ReaderConsole::wholeNumber(const QString& text, qint64 min, qint64 max) {
    return Convert::WholeNumber(text, min, max);
}

// ----- link state shown --------------------------------------------------------------------

void ReaderConsole::setLamp(Lamp lamp) {
    m_lamp = lamp;
    setWindowIcon(lampIcon(lamp));
}

QString ReaderConsole::statusPanel(int number) const {
    return number >= 1 && number <= 7 ? m_panels[static_cast<size_t>(number - 1)]->text() : QString();
}

void ReaderConsole::setStatusPanel(int number, const QString& text) {
    if (number < 1 || number > 7)
        return;
    QLabel* panel = m_panels[static_cast<size_t>(number - 1)];
    panel->setText(text);
    // A whole telegram in the ID panel is wider than the panel.
    if (number == 2)
        panel->setToolTip(text);
}

void ReaderConsole::setBackground(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ReaderConsole::setButtonColor(QPushButton* button, const QColor& color) {
    if (!button)
        return;
    // A style sheet, because most styles ignore a button's palette colour.
    button->setStyleSheet(QStringLiteral("background-color: %1;").arg(color.name()));
    button->setProperty("BackColor", color);
}

bool ReaderConsole::isWritePending() const {
    return cmdSchreibeStatus->property("BackColor").value<QColor>() == QColor(0, 255, 0);
}

void ReaderConsole::setWritePending(bool pending) {
    m_writtenStartnummer = pending ? AssignmentFile::StartnummerOf(edtWriteText->text()) : std::nullopt;
    setButtonColor(cmdSchreibeStatus, pending ? QColor(0, 255, 0) : QColor(255, 0, 0));
    cmdSchreibeStatus->repaint();
}

void ReaderConsole::log(const QString& text) {
    modGlobal::WriteLog(m_logPath, OneShownLine(text), m_services.clock->now());
}

void ReaderConsole::reportTrapped(long number, const QString& description) {
    m_services.dialogs->MsgBox(QStringLiteral("Fehlernummer: %1\r%2").arg(number).arg(description),
                               MsgBoxStyle::OkOnly);
}

// ----- buttons of tab 0 --------------------------------------------------------------------

void ReaderConsole::cmdClear_Click(int Index) {
    if (Index == 0)
        m_telegrams->clear();
    else if (Index == 1)
        m_bookings->clear();
}

QStringList ReaderConsole::telegramRows() const {
    return m_telegrams->rows();
}

int ReaderConsole::telegramCount() const {
    return m_telegrams->count();
}

QStringList ReaderConsole::bookingLines() const {
    return m_bookings->rows();
}

int ReaderConsole::selectedBooking() const {
    const QModelIndex current = lisEinbuchen->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ReaderConsole::cmdLogOpen_Click() {
    if (!m_services.openTextViewer || !m_services.openTextViewer(m_logPath))
        m_services.dialogs->MsgBox(
            QStringLiteral("Fehler: 53 - Der Texteditor für %1 konnte nicht gestartet werden.")
                .arg(m_logPath),
            MsgBoxStyle::Critical);
}

void ReaderConsole::cmdExportReaderdata_Click() {
    CoDi1.fileName = QStringLiteral("UHFReaderOutput.txt");
    CoDi1.filter = QStringLiteral("Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    if (!m_services.dialogs->ShowSave(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    QByteArray text;
    for (int row = 0; row < m_telegrams->count(); ++row)
        text += (m_telegrams->text(row) + QStringLiteral("\r\n")).toLatin1();
    if (!WholeFile::Write(CoDi1.fileName, text))
        m_services.dialogs->MsgBox(QStringLiteral("Fehler: %1 - Fehler beim Zugriff auf Pfad/Datei: %2")
                                       .arg(PathFileAccessError)
                                       .arg(CoDi1.fileName),
                                   MsgBoxStyle::Critical);
}
