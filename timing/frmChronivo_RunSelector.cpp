#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "platform/Services.h"
#include "results/DirectBooking.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <optional>

namespace {

constexpr int RunCount = 10;

// A typed run: a whole number 1 to 10, blanks around it allowed.
std::optional<int> parseRun(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > RunCount)
        return std::nullopt;
    return n;
}

} // namespace

void frmChronivo::buildRunSelector() {
    // Two columns, run number and the race program's run name; the field shows the number,
    // the number the settings keys are made of.
    auto* model = new QStandardItemModel(0, 2, cboLaufnummer);
    auto* view = new QTableView(cboLaufnummer);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setShowGrid(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    cboLaufnummer->setModel(model);
    cboLaufnummer->setView(view);
    cboLaufnummer->setModelColumn(0);
    // Typed text never becomes an item: there are runs 1 to 10 and no others.
    cboLaufnummer->setInsertPolicy(QComboBox::NoInsert);

    // The combo box itself activates an item whose text was typed and left; the switch runs
    // once that handling is over, since it rewrites the text the combo box is still reading.
    connect(
        cboLaufnummer, &QComboBox::activated, this,
        [this](int index) {
            cboLaufnummer->setEditText(QString::number(index + 1));
            cboLaufnummer_Click();
        },
        Qt::QueuedConnection);
    connect(cboLaufnummer->lineEdit(), &QLineEdit::editingFinished, this,
            &frmChronivo::cboLaufnummer_EditingFinished);
}

void frmChronivo::fillRunSelector() {
    auto* model = static_cast<QStandardItemModel*>(cboLaufnummer->model());
    model->removeRows(0, model->rowCount());
    for (qint32 i = 1; i <= RunCount; ++i) {
        const QString name = DirectBooking::GetLaufName(*m_services.settings, m_dbRace.get(), i);
        model->appendRow({new QStandardItem(QString::number(i)), new QStandardItem(name)});
    }
    auto* view = static_cast<QTableView*>(cboLaufnummer->view());
    view->resizeColumnsToContents();
    // The list is as wide as its widest name, at least as wide as the field.
    const int width = view->columnWidth(0) + view->columnWidth(1) + 24;
    view->setMinimumWidth(std::max(width, cboLaufnummer->width()));
    m_sLaufnummer = "1";
    showAcceptedRun();
}

void frmChronivo::cboLaufnummer_EditingFinished() {
    const QString typed = cboLaufnummer->currentText();
    // Leaving the field unchanged is no switch of runs, and the text of an item is activated
    // by the combo box itself.
    if (m_sLaufnummer.isEmpty() || typed == m_sLaufnummer || cboLaufnummer->findText(typed) >= 0)
        return;
    cboLaufnummer_Click();
}

// The selector's current item is the accepted run, so that leaving the field activates nothing.
void frmChronivo::showAcceptedRun() {
    cboLaufnummer->setCurrentIndex(m_sLaufnummer.toInt() - 1);
    cboLaufnummer->setEditText(m_sLaufnummer);
}

bool frmChronivo::hasLocalDatabase() const {
    const auto& db = m_services.local.gdbLocal;
    return db && db->isOpen();
}

void frmChronivo::lockRunControlsWithoutDatabase() {
    if (hasLocalDatabase())
        return;
    for (QWidget* control :
         std::initializer_list<QWidget*>{cboLaufnummer, cmdStart, cmdStartVorgabe, cmdAutoStart, cmdDurchlauf,
                                         edtStartnummer, cmdWertung})
        control->setEnabled(false);
    mnuSetStartTime->setEnabled(false);
    mnuLaufBeenden->setEnabled(false);
}

// The run the selector's text names, shown as the selector's item; nothing (with a message,
// the selector back on the current run) when it is no run 1 to 10. The run worked on stays
// the current one until acceptRun.
std::optional<QString> frmChronivo::typedRun() {
    const std::optional<int> run = parseRun(cboLaufnummer->currentText());
    if (!run) {
        m_services.dialogs->MsgBox("Bitte einen Lauf von 1 bis " + QString::number(RunCount) + " wählen!",
                                   MsgBoxStyle::Information);
        showAcceptedRun();
        return std::nullopt;
    }
    const QString n = QString::number(*run);
    cboLaufnummer->setCurrentIndex(*run - 1);
    cboLaufnummer->setEditText(n);
    return n;
}

void frmChronivo::acceptRun(const QString& n) {
    m_sLaufnummer = n;
    showAcceptedRun();
}
