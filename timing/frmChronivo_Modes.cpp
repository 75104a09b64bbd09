#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "timing/MainWindowReaderLink.h"
#include "timing/Twips.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace {

using Twips::px;

QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// The colour as the settings store keeps it: &H00BBGGRR.
quint32 toOleColor(const QColor& c) {
    return static_cast<quint32>(c.red()) | static_cast<quint32>(c.green()) << 8 |
           static_cast<quint32>(c.blue()) << 16;
}

// The widest text each column of the two grids can hold: places, start numbers up to 10000,
// clock texts and millisecond counts of a long day.
const QStringList ResultSamples = {"9999",     "10000",    "00:00:00", "99999999",
                                   "99999999", "00:00:00", "00:00:00"};
const QStringList CountSamples = {"10000", "999"};

// A column as wide as its heading and its widest text, in the grid's present font.
void fitColumn(QTableView& grid, int column, const QStringList& samples) {
    QHeaderView* header = grid.horizontalHeader();
    const int cellMargin =
        2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1) + 4;
    int width = std::max(header->sectionSizeHint(column),
                         static_cast<QAbstractItemView&>(grid).sizeHintForColumn(column));
    if (column < samples.size())
        width = std::max(width, grid.fontMetrics().horizontalAdvance(samples[column]) + cellMargin);
    header->resizeSection(column, width);
}

// Rows keep their designed height, and grow with a larger font so that no cell is cut.
void fitRowHeight(QTableView& grid) {
    grid.verticalHeader()->setDefaultSectionSize(std::max(px(239) + 4, grid.fontMetrics().height() + 4));
}

void fitAllColumns(QTableView& grid, const QStringList& samples) {
    for (int c = 0; c < grid.horizontalHeader()->count(); ++c)
        fitColumn(grid, c, samples);
    fitRowHeight(grid);
}

} // namespace

// A menu click has already flipped a checkable item; the handlers flip it themselves (and
// may refuse), so the click's own flip is undone first.
void frmChronivo::toggleFromMenu(QAction* item, void (frmChronivo::*handler)()) {
    connect(item, &QAction::triggered, this, [this, item, handler](bool checked) {
        item->setChecked(!checked);
        (this->*handler)();
    });
}

bool frmChronivo::flipMenuTick(QAction* item, const char* key) {
    item->setChecked(!item->isChecked());
    m_services.settings->SaveBool(Section, key, item->isChecked());
    return item->isChecked();
}

void frmChronivo::mnuDurchlaufModus_Click() {
    flipMenuTick(mnuDurchlaufModus, "Durchlaufmodus");
    ApplyDurchlaufModus();
}

void frmChronivo::mnuDurchlaufModusMulti_Click() {
    edtStartdauer->setVisible(flipMenuTick(mnuDurchlaufModusMulti, "DurchlaufmodusMulti"));
}

void frmChronivo::mnuExpertMode_Click() {
    if (!mnuExpertMode->isChecked()) {
        const int answer =
            m_services.dialogs->MsgBox("Wenn Sie die Daten im Expertenmodus ändern, dann sollten Sie\r"
                                       "eine Sicherung der aktuellen Datenbank machen!!!\r\r"
                                       "In den Expertenmodus wechseln?",
                                       MsgBoxStyle::YesNo | MsgBoxStyle::Information);
        if (answer != MsgBoxResult::Yes)
            return;
    }
    flipMenuTick(mnuExpertMode, "Expertenmodus");
    ApplyExpertModeLayout();
}

void frmChronivo::mnuTriathlon_Click() {
    flipMenuTick(mnuTriathlon, "Triathlonmodus");
    m_services.dialogs->MsgBox("Chronvo wird neu gestartet!", MsgBoxStyle::Information);
    // The mode holds from start-up on: unload as usual (which saves the layout), make sure the
    // new instance reads the new settings, then start it. The boards, readers and ports must
    // be free for it, so every link ends first.
    Form_Unload();
    closeLinks();
    m_services.settings->sync();
    if (m_services.restartProgram)
        m_services.restartProgram();
}

void frmChronivo::closeLinks() {
    if (sockAnzeige)
        sockAnzeige->Close();
    closeSerialPorts();
    if (m_readerLink)
        m_readerLink->closeConsoles();
}

// The contact input and the serial board; a port that will not close is given up.
void frmChronivo::closeSerialPorts() {
    for (SerialPort* port : {MSComm1.get(), MSComm2.get()}) {
        try {
            if (port && port->PortOpen())
                port->setPortOpen(false);
        } catch (const RuntimeError&) {
        }
    }
}

quint32 frmChronivo::clockColor(const QLabel* clock) {
    return toOleColor(clock->palette().color(QPalette::WindowText));
}

void frmChronivo::mnuPrefsDisplay_Click() {
    QColor chosen = lblSysTimeOut->palette().color(QPalette::WindowText);
    if (!m_services.dialogs->ShowColor(chosen))
        return;
    const quint32 ole = toOleColor(chosen);
    m_services.settings->SaveSetting(Section, "Displaycolor", QString::number(ole));
    m_lDisplayColor = ole;
    setClockColor(lblSysTimeOut, ole);
    setClockColor(lblStartTimeOut, ole);
    // A stopped race clock stays red until its run starts.
    if (clockColor(sspWertungTimeOut) != m_lStopColor)
        setClockColor(sspWertungTimeOut, ole);
}

void frmChronivo::mnuPrefsGridFont_Click() {
    QFont font = dbgZeiten->font();
    if (!m_services.dialogs->ShowFont(font))
        return;
    // The row styles of the result grid take the new name, size and weight too.
    dbgZeiten->setFont(font);
    applyRowStyleFonts(font);
    // Widths made for the old font would cut the cells of a larger one.
    fitAllColumns(*dbgZeiten, ResultSamples);
    SettingsStore& settings = *m_services.settings;
    settings.SaveSetting(Section, "dbgZeiten.Font.Name", font.family());
    settings.SaveSetting(Section, "dbgZeiten.Font.Size", QString::number(font.pointSizeF()));
    settings.SaveSetting(Section, "dbgZeiten.Font.Bold", boolText(font.bold()));
    settings.SaveSetting(Section, "dbgZeiten.Font.Italic", boolText(font.italic()));
    settings.SaveSetting(Section, "dbgZeiten.Font.Strikethrough", boolText(font.strikeOut()));
    settings.SaveSetting(Section, "dbgZeiten.Font.FontUnderline", boolText(font.underline()));
}

void frmChronivo::ApplyExpertModeLayout() {
    constexpr int fullGridTwips = 5775;
    int buttonTwips = 2655;
    int gridTwips = fullGridTwips;
    if (mnuExpertMode && mnuExpertMode->isChecked()) {
        buttonTwips = 1215;
        // The stored mode, not the menu tick: the first activation lays out the window before
        // it sets the split-time tick.
        gridTwips = m_services.settings->GetBool(Section, "Triathlonmodus", false) ? 4515 : 4935;
    }
    const int top = 164;
    cmdWertung->setGeometry(8, top, 150, px(buttonTwips));
    cmdDurchlauf->setGeometry(8, top, 150, px(buttonTwips));
    dbgZeiten->setGeometry(166, 146, 330, px(gridTwips));
    dbgStartnummern->setGeometry(502, 146, 123, px(gridTwips));
    // The grid's caption and, at its right end, the run shown: the run caption takes the room
    // its widest text needs, the grid's caption the rest, so neither is cut nor overlaps.
    const QRect grid = dbgZeiten->geometry();
    const int runWidth = lblZeitenCaption->fontMetrics().horizontalAdvance("Lauf 10") + 4;
    lblZeitenCaption->setGeometry(grid.right() + 1 - runWidth, 126, runWidth, 18);
    lblZeitenTitle->setGeometry(grid.left(), 126, grid.width() - runWidth - 4, 18);
    // The end button keeps its place in both layouts.
    cmdEnde->setGeometry(8, 146 + px(fullGridTwips) - 34, 150, 34);
    layoutCorrectionButtons();
}

void frmChronivo::ApplyDurchlaufModus() {
    const bool single = mnuDurchlaufModus->isChecked();
    cmdDurchlauf->setVisible(single);
    // It takes the place of the result button, so it must lie on top of it.
    if (single)
        cmdDurchlauf->raise();
    cmdStart->setVisible(!single);
    cmdStartVorgabe->setVisible(!single);
    cmdAutoStart->setVisible(!single);
}

void frmChronivo::LoadGridColWidths() {
    const SettingsStore& settings = *m_services.settings;
    QHeaderView* header = dbgZeiten->horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
        const QString stored = settings.GetSetting(Section, QStringLiteral("ColWith%1").arg(i), "");
        const qint64 twips = Convert::ValLong(stored);
        // Where the user stored no width, the column fits its heading and its values.
        if (twips > 0)
            header->resizeSection(i, px(static_cast<int>(twips)));
        else
            fitColumn(*dbgZeiten, i, ResultSamples);
    }
    // The count grid's widths are never stored: they follow its font.
    fitAllColumns(*dbgStartnummern, CountSamples);
    fitRowHeight(*dbgZeiten);
}

void frmChronivo::SaveFormLayout() {
    SettingsStore& settings = *m_services.settings;
    QHeaderView* header = dbgZeiten->horizontalHeader();
    for (int i = 0; i < header->count(); ++i)
        settings.SaveSetting(Section, QStringLiteral("ColWith%1").arg(i),
                             QString::number(header->sectionSize(i) * 15));
    settings.SaveSetting(Section, "Form Top", QString::number(y() * 15));
    settings.SaveSetting(Section, "Form Left", QString::number(x() * 15));
}
