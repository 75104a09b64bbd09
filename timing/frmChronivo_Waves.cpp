#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "platform/Services.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr const char* WaveSection = "StartZeiten";

QString waveRow(const SettingsStore& settings, int i) {
    return settings.GetSetting(WaveSection, QString::number(i), "");
}

// A wave table has a few hundred rows at most; a damaged or hostile count must neither hang
// the load nor overflow the loop counter, so nothing beyond this bound is read.
constexpr qint64 MaxWaveRows = 1000;

int waveRows(const SettingsStore& settings) {
    const qint64 rows = Convert::ValLong(settings.GetSetting(WaveSection, "Rows", "0"));
    return static_cast<int>(std::clamp<qint64>(rows, 0, MaxWaveRows));
}

} // namespace

void frmChronivo::LoadStartZeitenArray() {
    const SettingsStore& settings = *m_services.settings;
    const int rows = waveRows(settings);
    for (int i = 1; i <= rows; ++i) {
        const QString text = waveRow(settings, i) + ";";
        QString field;
        int fieldNo = 0;
        qint64 first = 0;
        qint64 last = 0;
        for (const QChar c : text) {
            if (c != ';') {
                field += c;
                continue;
            }
            ++fieldNo;
            if (fieldNo == 1) {
                first = Convert::ValLong(field);
            } else if (fieldNo == 2) {
                last = Convert::ValLong(field);
            } else if (fieldNo == 3) {
                // Start numbers outside the table's range have no wave start.
                for (qint64 n = std::max<qint64>(first, 0); n <= std::min<qint64>(last, 10000); ++n)
                    StartZeit[static_cast<size_t>(n)] = field;
            }
            field.clear();
        }
    }
}

void frmChronivo::BuildStartZeitButtons() {
    const SettingsStore& settings = *m_services.settings;
    for (int i = 0; i < 10; ++i) {
        cmdSetStartZeit[i]->hide();
        cmdSetStartZeit[i]->setText("");
        cmdSetStartZeit[i]->setProperty("Tag", QString());
        edtImZiel[i]->hide();
    }
    const int rows = waveRows(settings);
    for (int i = 1; i <= rows; ++i) {
        const int p = i - 1;
        QStringList fields = waveRow(settings, i).split(';');
        while (fields.size() < 4)
            fields << QString();
        const QString caption =
            fields[3] + " startet " + fields[2] + " (" + fields[0] + "-" + fields[1] + ")";
        bool matched = false;
        for (int b = 0; b < 10; ++b) {
            if (cmdSetStartZeit[b]->property("Tag").toString() == fields[3]) {
                cmdSetStartZeit[b]->setText(caption);
                matched = true;
            }
        }
        if (!matched && p < 10) {
            cmdSetStartZeit[p]->setStyleSheet("background-color: #FF8080;");
            cmdSetStartZeit[p]->show();
            cmdSetStartZeit[p]->setText(caption);
            cmdSetStartZeit[p]->setProperty("Tag", fields[3]);
            edtImZiel[p]->show();
            edtImZiel[p]->setProperty("Tag", fields[2]);
        }
    }
}

void frmChronivo::chkLaufNrStartzeit_Click() {
    const bool on = chkLaufNrStartzeit->isChecked();
    m_services.settings->SaveSetting(Section, "LaufNrStartzeit", on ? "1" : "0");
    LoadStartZeitenArray();
    // With start times by start number there is no single run clock to show.
    lblText->setVisible(!on);
    lblStartTimeOut->setVisible(!on);
    sspWertungTimeOut->setVisible(!on);
    lblInfo->setVisible(on);
}
