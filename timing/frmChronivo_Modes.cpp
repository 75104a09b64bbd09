#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "platform/Services.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace {
constexpr int px(int twips) {
    return twips / 15;
}
} // namespace

void frmChronivo::ApplyExpertModeLayout() {
    int buttonTwips = 2655;
    int gridTwips = 5775;
    if (mnuExpertMode && mnuExpertMode->isChecked()) {
        buttonTwips = 1215;
        gridTwips = (mnuTriathlon && mnuTriathlon->isChecked()) ? 4515 : 4935;
    }
    const int top = 164;
    cmdWertung->setGeometry(8, top, 150, px(buttonTwips));
    cmdDurchlauf->setGeometry(8, top, 150, px(buttonTwips));
    dbgZeiten->setGeometry(166, 146, 330, px(gridTwips));
    dbgStartnummern->setGeometry(502, 146, 123, px(gridTwips));
    cmdEnde->setGeometry(8, 146 + px(gridTwips) - 34, 150, 34);
}

void frmChronivo::ApplyDurchlaufModus() {
    const bool single = mnuDurchlaufModus->isChecked();
    cmdDurchlauf->setVisible(single);
    cmdStart->setVisible(!single);
    cmdStartVorgabe->setVisible(!single);
    cmdAutoStart->setVisible(!single);
}

void frmChronivo::LoadGridColWidths() {
    const SettingsStore& settings = *m_services.settings;
    QHeaderView* header = dbgZeiten->horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
        const QString stored = settings.GetSetting(Section, QStringLiteral("ColWith%1").arg(i), "");
        if (stored.isEmpty())
            continue;
        const qint64 twips = Convert::ValLong(stored);
        if (twips > 0)
            header->resizeSection(i, px(static_cast<int>(twips)));
    }
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
