#include "timing/frmChronivo.h"
#include "timing/NoRedraw.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "platform/Services.h"
#include "results/DataControl.h"
#include "results/GridPrinter.h"
#include "results/ResultEntry.h"
#include "results/ResultViews.h"
#include "results/RunCorrection.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaProperty>
#include <QPrinter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

namespace {

constexpr const char* PrintFooter = "Vek. Chronivo - Zeitnahme im Ziel";

// Key codes of the classic handlers.
constexpr int KeyEnter = 13;
constexpr int KeyUp = 38;
constexpr int KeyDown = 40;

int classicKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Down:
        return KeyDown;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    default:
        return qtKey & 0xFF;
    }
}

// Hands one kind of key event of a control to its handler; the handler answers whether
// the key is used up.
class KeyHook final : public QObject {
public:
    using Handler = std::function<bool(QKeyEvent&)>;
    KeyHook(QWidget* target, QEvent::Type type, Handler handler)
        : QObject(target), m_type(type), m_handler(std::move(handler)) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == m_type && m_handler(*static_cast<QKeyEvent*>(event));
    }

private:
    QEvent::Type m_type;
    Handler m_handler;
};

bool isEnter(const QKeyEvent& e) {
    return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
}

// Hands a typed value to the grid's data only when it fits its field; otherwise the cell
// keeps what the table holds and `refused` is told.
class FieldRangeDelegate final : public QStyledItemDelegate {
public:
    FieldRangeDelegate(const DataControl& data, std::function<void()> refused, QObject* parent)
        : QStyledItemDelegate(parent), m_data(data), m_refused(std::move(refused)) {}
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const QString text = editor->property(editor->metaObject()->userProperty().name()).toString();
        const int c = index.column();
        const QString field = c >= 0 && c < m_data.columns().size() ? m_data.columns()[c].field : QString();
        if (!RunCorrection::FitsField(field, text)) {
            m_refused();
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    const DataControl& m_data;
    std::function<void()> m_refused;
};

} // namespace

void frmChronivo::buildResultArea() {
    QWidget* central = centralWidget();
    auto* lblView = new QLabel("Wertungen der Startnummer anzeigen:", central);
    lblView->setGeometry(166, 536, 250, 22);
    edtViewStartnummer = new QLineEdit(central);
    edtViewStartnummer->setObjectName("edtViewStartnummer");
    edtViewStartnummer->setGeometry(420, 536, 76, 22);
    sscStartNr = new QCheckBox("Startnummer auf Eindeutigkeit prüfen", central);
    sscStartNr->setObjectName("sscStartNr");
    sscStartNr->setGeometry(166, 558, 330, 20);

    ResultViews::BindResultColumns(*Data1);
    ResultViews::BindCountColumns(*Data2);
    // Widths until the user's own are restored on activation.
    const int resultWidths[] = {38, 44, 64, 64, 92, 64, 64};
    for (int c = 0; c < Data1->columnCount(); ++c)
        dbgZeiten->horizontalHeader()->resizeSection(c, resultWidths[c]);
    dbgStartnummern->horizontalHeader()->resizeSection(0, 72);
    dbgStartnummern->horizontalHeader()->resizeSection(1, 34);
    const std::pair<const char*, quint32> styles[] = {
        {ResultViews::Yellow, 0x00FFFF}, {ResultViews::Red, 0x0000FF}, {ResultViews::Green, 0x00FF00}};
    for (const auto& [name, ole] : styles)
        Data1->setCellStyle(name, {QFont("Arial"), Skin::OleColor(ole)});
    Data1->setRowLoadedHandler([this](int row) { return dbgZeiten_RowLoaded(row); });
    // A number beyond its export field would stop the export of the whole run later. The box
    // waits until the editor has closed.
    dbgZeiten->setItemDelegate(new FieldRangeDelegate(
        *Data1, [this] { QTimer::singleShot(0, this, [this] { showError(6, "Überlauf"); }); }, dbgZeiten));

    // The window opens with no run going.
    tmrBlinker = new QTimer(this);
    tmrBlinker->setInterval(500);
    tmrBlinker->start();
    edtStartnummer->setEnabled(false);

    if (m_services.createSerialPort) {
        MSComm1 = m_services.createSerialPort();
        connect(MSComm1.get(), &SerialPort::OnComm, this, &frmChronivo::MSComm1_OnComm);
    }

    connect(cmdWertung, &QPushButton::clicked, this, &frmChronivo::cmdWertung_Click);
    connect(edtStartnummer, &QLineEdit::textChanged, this, &frmChronivo::edtStartnummer_Change);
    connect(edtStartdauer, &QLineEdit::textChanged, this, &frmChronivo::edtStartdauer_Change);
    for (int i = 0; i < 10; ++i)
        connect(edtImZiel[i], &QLineEdit::textChanged, this, [this, i] { edtImZiel_Change(i); });

    new KeyHook(edtStartnummer, QEvent::KeyPress, [this](QKeyEvent& e) {
        if (!isEnter(e))
            return false;
        edtStartnummer_KeyPress(KeyEnter);
        return true;
    });
    new KeyHook(edtViewStartnummer, QEvent::KeyPress, [this](QKeyEvent& e) {
        if (!isEnter(e))
            return false;
        edtViewStartnummer_KeyPress(KeyEnter);
        return true;
    });
    new KeyHook(dbgZeiten, QEvent::KeyRelease, [this](QKeyEvent& e) {
        dbgZeiten_KeyUp(classicKeyCode(e.key()), 0);
        return false;
    });
    new KeyHook(dbgStartnummern, QEvent::KeyRelease, [this](QKeyEvent& e) {
        dbgStartnummern_KeyUp(classicKeyCode(e.key()), 0);
        return false;
    });
    connect(dbgStartnummern, &QTableView::clicked, this, &frmChronivo::dbgStartnummern_Click);
    connect(dbgStartnummern, &QTableView::doubleClicked, this, &frmChronivo::dbgStartnummern_DblClick);
}

void frmChronivo::buildResultMenu(QMenu* fileMenu) {
    mnuPrintTable = new QAction("Erfasste Wertungen drucken", this);
    mnuPrintTable->setObjectName("mnuPrintTable");
    fileMenu->insertAction(mnuBeenden, mnuPrintTable);
    fileMenu->insertSeparator(mnuBeenden);
    connect(mnuPrintTable, &QAction::triggered, this, &frmChronivo::mnuPrintTable_Click);
}

void frmChronivo::applyRowStyleFonts(const QFont& font) {
    for (const char* name : {ResultViews::Yellow, ResultViews::Red, ResultViews::Green}) {
        DataControl::CellStyle style = Data1->cellStyle(name);
        style.font.setFamily(font.family());
        style.font.setPointSizeF(font.pointSizeF());
        style.font.setWeight(font.weight());
        Data1->setCellStyle(name, style);
    }
}

// ----- record sources and the one refresh rule ----------------------------------------------

void frmChronivo::showRunCaption() {
    lblZeitenCaption->setText(QStringLiteral("Lauf %1").arg(currentLauf()));
}

void frmChronivo::setRecordSources(const QString& startnummer) {
    const qint32 lauf = currentLauf();
    // In split-time mode the result grid follows the start number being timed.
    const ResultViews::Source results = m_services.settings->GetBool(Section, "Triathlonmodus", false)
                                            ? ResultViews::Filter(lauf, startnummer)
                                            : ResultViews::ResultList(lauf);
    ResultViews::Apply(*Data1, results);
    ResultViews::Apply(*Data2, ResultViews::CountPerStartnummer(lauf));
}

void frmChronivo::RefreshResultViews() {
    setRecordSources(edtStartnummer->text());
    NoRedraw quiet(dbgZeiten);
    Data1->Refresh();
    Data2->Refresh();
    dbgZeiten->scrollToBottom();
}

void frmChronivo::refreshAfterNewResult(const ResultEntry::Stored& stored, const QString& startnummer) {
    // A number handed over never stands in the field: the views take the one being timed.
    setRecordSources(startnummer);
    NoRedraw quiet(dbgZeiten);
    // The new row is in the result grid's source either way: the run's list, or in split-time
    // mode the rows of the very start number just timed. It adds a line to the count grid only
    // when its start number had no row in the run yet.
    Data1->RefreshAdded(1, stored.before, stored.after);
    Data2->RefreshAdded(stored.firstOfStartnummer ? 1 : 0, stored.before, stored.after);
    dbgZeiten->scrollToBottom();
}

// ----- filter and the start-number grid -----------------------------------------------------

void frmChronivo::edtViewStartnummer_KeyPress(int KeyAscii) {
    if (KeyAscii != KeyEnter)
        return;
    try {
        ResultViews::Apply(*Data1, ResultViews::Filter(currentLauf(), edtViewStartnummer->text()));
        Data1->Refresh();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
    edtViewStartnummer->clear();
}

void frmChronivo::dbgStartnummern_Click() {
    const QModelIndex current = dbgStartnummern->currentIndex();
    edtViewStartnummer->setText(current.isValid() ? Data2->rowTexts(current.row()).value(0) : QString());
    edtViewStartnummer_KeyPress(KeyEnter);
}

void frmChronivo::dbgStartnummern_DblClick() {
    dbgStartnummern_Click();
}

void frmChronivo::dbgStartnummern_KeyUp(int /*KeyCode*/, int /*Shift*/) {
    dbgStartnummern_Click();
}

void frmChronivo::dbgZeiten_KeyUp(int KeyCode, int /*Shift*/) {
    if (KeyCode != KeyUp && KeyCode != KeyDown)
        return;
    NoRedraw quiet(dbgZeiten);
    Data1->redrawRows();
}

// ----- row colouring ------------------------------------------------------------------------

QString frmChronivo::dbgZeiten_RowLoaded(int Bookmark) {
    m_bDoppelt = false;
    try {
        const QString startnummer = Data1->value(Bookmark, "Startnummer").toString();
        if (sscStartNr->isChecked() && Convert::Val(startnummer) != 0)
            m_bDoppelt = CheckStartNrCount(static_cast<qint32>(Convert::ValLong(startnummer)));
        return ResultViews::RowStyle(startnummer, mnuTriathlon->isChecked(), m_bDoppelt);
    } catch (const RuntimeError& e) {
        // Rows are loaded while the grid paints: the box waits until painting is over, and
        // one box stands for every row of the same paint.
        if (!m_rowLoadedErrorPending) {
            m_rowLoadedErrorPending = true;
            QTimer::singleShot(0, this, [this, number = e.number(), text = e.description()] {
                m_rowLoadedErrorPending = false;
                showError(number, text);
            });
        }
        return {};
    }
}

bool frmChronivo::CheckStartNrCount(qint32 Startnummer) {
    if (Startnummer <= 0)
        return false;
    QueryDef qd = localDatabase().QueryDefs("pS_Check_StartNr");
    qd.setParameter("iLaufnummer", currentLauf());
    qd.setParameter("iStartNr", Startnummer);
    Recordset rs = qd.OpenRecordset();
    bool tooOften = false;
    if (rs.RecordCount() > 0)
        tooOften =
            Convert::Val(rs.Fields(0).toString()) > ResultViews::DuplicateLimit(mnuTriathlon->isChecked());
    rs.Close();
    qd.Close();
    return tooOften;
}

// ----- printing -----------------------------------------------------------------------------

QString frmChronivo::dbgZeiten_PrintInitialize() const {
    const QString n = runText();
    return "Lauf: " + n + " - Startzeit: " + storedRunStart();
}

void frmChronivo::mnuPrintTable_Click() {
    if (Data1->RecordCount() == 0) {
        m_services.dialogs->MsgBox("Kein Datensatz in der Anzeige!", 64);
        return;
    }
    std::unique_ptr<QPrinter> printer = m_services.createPrinter ? m_services.createPrinter() : nullptr;
    if (!printer) {
        m_services.dialogs->MsgBox(
            "Es ist kein Drucker eingerichtet.\rDie Tabelle kann nicht gedruckt werden!", 48);
        return;
    }
    try {
        const GridPrinter::Document doc =
            GridPrinter::FromData(*Data1, dbgZeiten_PrintInitialize(), PrintFooter);
        if (GridPrinter::Print(doc, dbgZeiten->font(), *printer) == 0)
            m_services.dialogs->MsgBox(
                "Der Drucker konnte nicht angesprochen werden.\rDie Tabelle wurde nicht gedruckt!", 48);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}
