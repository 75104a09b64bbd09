#include "timing/frmSettingsStartZeit.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "platform/WholeFile.h"
#include "results/FileImport.h"
#include "timing/WaveTable.h"

#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>

namespace {

constexpr int ColVon = 0;
constexpr int ColBis = 1;
constexpr int ColZeit = 2;
constexpr int ColBezeichnung = 3;
// A wave-table file is a few kilobytes; more than this is not read.
constexpr qint64 MaxFileBytes = 1 << 20;
constexpr const char* FileFilter = "Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*";

} // namespace

frmSettingsStartZeit::frmSettingsStartZeit(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName("frmSettingsStartZeit");
    setWindowTitle("Laufnummern/Startzeit Zuordnung");
    setModal(true);
    Skin::MarkProgramWindow(*this);

    struct Field {
        const char* caption;
        const char* name;
        QLineEdit** edit;
    };
    const Field fields[] = {{"Start Nr. von:", "textNoFrom", &textNoFrom},
                            {"Start Nr bis:", "textNoTo", &textNoTo},
                            {"Start Nr. Intervall:", "textNoIntervall", &textNoIntervall},
                            {"Start Zeit:", "textTime", &textTime},
                            {"Intervall Sek.:", "textTimeIntervall", &textTimeIntervall}};
    int y = 16;
    for (const Field& f : fields) {
        auto* label = new QLabel(f.caption, this);
        label->setGeometry(12, y + 3, 120, 20);
        *f.edit = new QLineEdit(this);
        (*f.edit)->setObjectName(f.name);
        (*f.edit)->setGeometry(134, y, 96, 26);
        y += 36;
    }
    cmdIntervall = new QPushButton("&Anlegen", this);
    cmdIntervall->setObjectName("cmdIntervall");
    cmdIntervall->setGeometry(134, y + 4, 96, 30);

    auto* frame = new QGroupBox("Einstellungen", this);
    frame->setObjectName("fraEinstellungen");
    frame->setGeometry(244, 6, 484, 354);
    dbgEinstellungen = new QTableWidget(0, 4, frame);
    dbgEinstellungen->setObjectName("dbgEinstellungen");
    dbgEinstellungen->setGeometry(8, 22, 468, 322);
    dbgEinstellungen->setHorizontalHeaderLabels({"von", "bis", "Zeit", "Bezeichnung"});
    dbgEinstellungen->horizontalHeader()->setStretchLastSection(true);
    dbgEinstellungen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dbgEinstellungen->verticalHeader()->setDefaultSectionSize(dbgEinstellungen->fontMetrics().height() + 8);
    dbgEinstellungen->setColumnWidth(ColVon, 70);
    dbgEinstellungen->setColumnWidth(ColBis, 70);
    dbgEinstellungen->setColumnWidth(ColZeit, 80);
    connect(dbgEinstellungen, &QTableWidget::itemChanged, this, [this] {
        if (!m_fillingGrid)
            ensureNewRow();
    });

    struct Button {
        const char* caption;
        const char* name;
        QPushButton** button;
    };
    const Button buttons[] = {{"Import", "cmdImport", &cmdImport},
                              {"Export", "cmdExport", &cmdExport},
                              {"&Speichern", "cmdSave", &cmdSave},
                              {"&Löschen", "cmdDelete", &cmdDelete},
                              {"&Beenden", "cmdCancel", &cmdCancel}};
    int x = 12;
    for (const Button& b : buttons) {
        *b.button = new QPushButton(b.caption, this);
        (*b.button)->setObjectName(b.name);
        (*b.button)->setGeometry(x, 372, 134, 32);
        x += 143;
    }
    setFixedSize(740, 416);
    // Enter in a field or the grid presses no button; only a click or the button's key does.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    connect(cmdIntervall, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdIntervall_Click);
    connect(cmdImport, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdImport_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdExport_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdSave_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettingsStartZeit::cmdCancel_Click);
    ensureNewRow();
}

void frmSettingsStartZeit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per opening: coming back from a file dialog must not throw away generated rows.
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

void frmSettingsStartZeit::Form_Activate() {
    textTime->setText(m_services.clock->now().time().toString("hh:mm:00"));
    LoadStartTimes();
}

void frmSettingsStartZeit::LoadStartTimes() {
    m_fillingGrid = true;
    dbgEinstellungen->setRowCount(0);
    for (const QString& row : WaveTable::Rows(*m_services.settings))
        addGridRow(row);
    m_fillingGrid = false;
    ensureNewRow();
}

void frmSettingsStartZeit::addGridRow(const QString& rowText) {
    const WaveTable::Fields f = WaveTable::SplitRow(rowText);
    const int r = dbgEinstellungen->rowCount();
    dbgEinstellungen->insertRow(r);
    int c = 0;
    for (const QString& text : {f.von, f.bis, f.zeit, f.bezeichnung})
        dbgEinstellungen->setItem(r, c++, new QTableWidgetItem(text));
}

void frmSettingsStartZeit::ensureNewRow() {
    const int rows = dbgEinstellungen->rowCount();
    if (rows > 0) {
        bool empty = true;
        for (int c = 0; c < dbgEinstellungen->columnCount(); ++c)
            empty = empty && cell(rows - 1, c).isEmpty();
        if (empty)
            return;
    }
    m_fillingGrid = true;
    addGridRow(QString());
    m_fillingGrid = false;
}

QString frmSettingsStartZeit::cell(int row, int column) const {
    const QTableWidgetItem* item = dbgEinstellungen->item(row, column);
    return item ? item->text() : QString();
}

void frmSettingsStartZeit::setCell(int row, int column, const QString& text) {
    while (dbgEinstellungen->rowCount() <= row)
        addGridRow(QString());
    if (QTableWidgetItem* item = dbgEinstellungen->item(row, column))
        item->setText(text);
    else
        dbgEinstellungen->setItem(row, column, new QTableWidgetItem(text));
}

QStringList frmSettingsStartZeit::gridRows() const {
    QStringList rows;
    for (int r = 0; r < dbgEinstellungen->rowCount(); ++r) {
        QStringList f;
        for (int c = 0; c < 4; ++c)
            f << cell(r, c);
        if (f.join(QString()).isEmpty())
            continue;
        rows << f.join(';');
    }
    return rows;
}

void frmSettingsStartZeit::showError(long number, const QString& description) {
    m_services.dialogs->MsgBox(QStringLiteral("Fehler: %1 - %2").arg(number).arg(description), 16);
}

bool frmSettingsStartZeit::saveRows(const QStringList& rows) {
    if (WaveTable::SaveRows(*m_services.settings, rows))
        return true;
    const RuntimeError e = m_services.settings->WriteError();
    showError(e.number(), e.description());
    return false;
}

void frmSettingsStartZeit::commitGridEdit() {
    // A button pressed by its key takes no focus, so a cell still being typed in would keep
    // its text to itself; leaving the cell hands the text to the grid.
    const QModelIndex current = dbgEinstellungen->currentIndex();
    if (!current.isValid() || !dbgEinstellungen->indexWidget(current))
        return;
    dbgEinstellungen->setCurrentIndex(QModelIndex());
    dbgEinstellungen->setCurrentIndex(current);
}

void frmSettingsStartZeit::cmdIntervall_Click() {
    commitGridEdit();
    try {
        const WaveTable::GenerateCheck check = WaveTable::Generate(
            textNoFrom->text(), textNoTo->text(), textNoIntervall->text(), textTime->text(),
            textTimeIntervall->text(), [this](const WaveTable::GeneratedRow& g) {
                // Each wave goes into the empty row at the end; loaded rows are never overwritten.
                const int r = dbgEinstellungen->rowCount() - 1;
                setCell(r, ColVon, QString::number(g.von));
                setCell(r, ColBis, QString::number(g.bis));
                setCell(r, ColZeit, g.zeit);
                ensureNewRow();
            });
        if (check == WaveTable::GenerateCheck::FieldsWrong)
            m_services.dialogs->MsgBox("Bitte Felder überprüfen!!!!", 64);
        else if (check == WaveTable::GenerateCheck::TimeInvalid)
            m_services.dialogs->MsgBox("Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!", 64);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmSettingsStartZeit::cmdSave_Click() {
    commitGridEdit();
    QStringList rows;
    for (int r = 0; r < dbgEinstellungen->rowCount(); ++r) {
        // A ";" typed into a cell would shift every later field of the row.
        auto field = [&](int c) { return cell(r, c).remove(';'); };
        if (!Convert::IsValidTimeText(field(ColZeit)))
            continue;
        rows << WaveTable::JoinRow(field(ColVon), field(ColBis), field(ColZeit), field(ColBezeichnung));
    }
    if (!saveRows(rows))
        return;
    m_services.dialogs->MsgBox(QStringLiteral("%1 Datensätze gespeichert!").arg(rows.size()), 64);
    LoadStartTimes();
}

void frmSettingsStartZeit::cmdImport_Click() {
    try {
        codi1.title = "Import";
        codi1.filter = FileFilter;
        if (!m_services.dialogs->ShowOpen(codi1) || codi1.fileName.trimmed().isEmpty())
            return;
        QFile file(codi1.fileName);
        FileImport::OpenForReading(file);
        QByteArray content = file.read(MaxFileBytes + 1);
        if (file.error() != QFileDevice::NoError)
            throw RuntimeError(57, "Fehler beim Lesen der Datei: " + codi1.fileName);
        // Only whole lines are taken: a line cut by the size limit would lose its end unnoticed.
        const bool cutAtLimit = content.size() > MaxFileBytes;
        if (cutAtLimit)
            content.truncate(content.lastIndexOf('\n', MaxFileBytes - 1) + 1);
        const WaveTable::TableFile read = WaveTable::ReadTableFile(content);

        SettingsStore& settings = *m_services.settings;
        QStringList rows;
        if (!read.rows.isEmpty() && WaveTable::RowCount(settings) > 0 &&
            m_services.dialogs->MsgBox("Daten anhängen?", MsgBoxStyle::YesNo | MsgBoxStyle::Question) ==
                MsgBoxResult::Yes)
            rows = WaveTable::Rows(settings);
        const int room = std::max(0, WaveTable::MaxRows - static_cast<int>(rows.size()));
        const QStringList taken = read.rows.mid(0, room);
        const int beyondRowLimit = read.beyondRowLimit + static_cast<int>(read.rows.size() - taken.size());

        QString notes;
        if (read.withoutTime > 0)
            notes += QStringLiteral("\r%1 Zeilen ohne gültige Startzeit wurden nicht übernommen!")
                         .arg(read.withoutTime);
        if (beyondRowLimit > 0)
            notes += QStringLiteral("\r%1 Zeilen über der Höchstzahl von %2 Zeilen wurden nicht übernommen!")
                         .arg(beyondRowLimit)
                         .arg(WaveTable::MaxRows);
        if (cutAtLimit)
            notes += "\rDie Datei ist größer als 1 MB, der Rest wurde nicht gelesen!";
        // A file that gives no wave must not cost the stored table its rows.
        if (taken.isEmpty()) {
            m_services.dialogs->MsgBox(
                "Keine Zeile der Datei ist verwendbar, es wurde nichts geändert!" + notes, 64);
            return;
        }
        if (!saveRows(rows + taken))
            return;
        m_services.dialogs->MsgBox("Daten geladen!" + notes, 64);
        LoadStartTimes();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmSettingsStartZeit::cmdExport_Click() {
    try {
        codi1.title = "Export";
        codi1.filter = FileFilter;
        if (!m_services.dialogs->ShowSave(codi1) || codi1.fileName.trimmed().isEmpty())
            return;
        const QStringList rows = WaveTable::Rows(*m_services.settings);
        // A name written with "?" in place of a letter would come back as another name.
        if (const int bad = WaveTable::FirstUnwritableRow(rows); bad >= 0) {
            m_services.dialogs->MsgBox(
                QStringLiteral("Zeile %1 \"%2\" enthält Zeichen, die in der Datei nicht geschrieben werden "
                               "können!\rEs wurde nichts gespeichert.")
                    .arg(bad + 1)
                    .arg(rows[bad]),
                16);
            return;
        }
        if (!WholeFile::Write(codi1.fileName, WaveTable::TableFileContent(rows)))
            throw RuntimeError(RuntimeError::PathFileAccessError,
                               "Fehler beim Zugriff auf Pfad/Datei: " + codi1.fileName);
        m_services.dialogs->MsgBox("Daten gespeichert!", 64);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmSettingsStartZeit::cmdDelete_Click() {
    if (m_services.dialogs->MsgBox("Daten wirklich löschen?", MsgBoxStyle::YesNo | MsgBoxStyle::Question) !=
        MsgBoxResult::Yes)
        return;
    if (!saveRows({}))
        return;
    m_services.settings->SaveSetting("frmChronivo", "LaufNrStartzeit", "False");
    LoadStartTimes();
}

void frmSettingsStartZeit::cmdCancel_Click() {
    accept();
}
