#include "platform/Dialogs.h"
#include "platform/Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Hands the modal dialog that the next call opens to `inspect`, then closes it unanswered.
void onNextDialog(std::function<void(QDialog&)> inspect) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        inspect(*dialog);
        dialog->reject();
    });
    poll->start();
}

// Shots of dialogs go where CHRONIVO_SHOTS points, for a person to look at; nothing otherwise.
void keepShot(QWidget& w, const QString& name) {
    const QString folder = qEnvironmentVariable("CHRONIVO_SHOTS");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        w.grab().save(QDir(folder).filePath(name + ".png"));
}

QStringList buttonTexts(QDialog& dialog) {
    QStringList texts;
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->isVisibleTo(&dialog))
            texts << b->text();
    texts.sort();
    return texts;
}

TEST(Dialogs, QtsOwnTextsAreGermanFromTheInstalledTranslations) {
    // The same search the program makes at start.
    bool found = false;
    for (const QString& folder : Translations::SearchFolders(QCoreApplication::applicationDirPath()))
        found = found || QFile::exists(QDir(folder).filePath("qtbase_de.qm"));
    ASSERT_TRUE(found) << "qtbase_de.qm missing: install the translations package";

    QMessageBox plain;
    plain.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
    EXPECT_EQ(plain.button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(plain.button(QMessageBox::No)->text(), "&Nein");
    EXPECT_EQ(plain.button(QMessageBox::Cancel)->text(), "Abbrechen");

    QtDialogs impl("Vek. Chronivo");
    Dialogs& dialogs = impl;
    QString colorTitle;
    QStringList colorButtons;
    onNextDialog([&](QDialog& d) {
        colorTitle = d.windowTitle();
        colorButtons = buttonTexts(d);
        keepShot(d, "dialog-colour");
    });
    QColor color(Qt::green);
    EXPECT_FALSE(dialogs.ShowColor(color));
    EXPECT_FALSE(colorTitle.isEmpty());
    EXPECT_NE(colorTitle, "Select Color");
    EXPECT_TRUE(colorButtons.contains("Abbrechen")) << colorButtons.join("|").toStdString();
    EXPECT_FALSE(colorButtons.contains("Cancel"));

    QString fontTitle;
    onNextDialog([&](QDialog& d) {
        fontTitle = d.windowTitle();
        keepShot(d, "dialog-font");
    });
    QFont font;
    EXPECT_FALSE(dialogs.ShowFont(font));
    EXPECT_FALSE(fontTitle.isEmpty());
    EXPECT_NE(fontTitle, "Select Font");
}

TEST(Dialogs, InputAndMessageBoxesBreakLinesAtCR) {
    EXPECT_EQ(DialogText("a\rb\r\nc\n\rd"), "a\nb\nc\n\nd");

    QtDialogs impl("Vek. Chronivo");
    Dialogs& dialogs = impl;
    QString label;
    QStringList buttons;
    onNextDialog([&](QDialog& d) {
        label = static_cast<QInputDialog&>(d).labelText();
        buttons = buttonTexts(d);
        keepShot(d, "dialog-input");
    });
    EXPECT_EQ(dialogs.InputBox("Bitte Uhrzeit eingeben !\rFormat: HH:MM:SS beachten ! "), "");
    EXPECT_EQ(label, "Bitte Uhrzeit eingeben !\nFormat: HH:MM:SS beachten ! ");
    EXPECT_EQ(buttons, (QStringList{"Abbrechen", "OK"}));

    QString text;
    onNextDialog([&](QDialog& d) {
        text = static_cast<QMessageBox&>(d).text();
        buttons = buttonTexts(d);
        keepShot(d, "dialog-message");
    });
    dialogs.MsgBox("Daten wirklich löschen?\r\rZweite Zeile",
                   MsgBoxStyle::YesNoCancel | MsgBoxStyle::Question);
    EXPECT_EQ(text, "Daten wirklich löschen?\n\nZweite Zeile");
    EXPECT_EQ(buttons, (QStringList{"&Ja", "&Nein", "Abbrechen"}));
}

// Descriptions that name their patterns themselves, as the program's filters do, show each
// pattern once, in the filter text and in the dialog the user sees.
TEST(Dialogs, FileFiltersShowEachPatternOnce) {
    const std::pair<QString, QString> cases[] = {
        {"Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "Textdateien (*.txt);;Alle Dateien (*.*)"},
        {"Text|*.txt", "Text (*.txt)"},
        {"Tabellen (*.csv;*.txt)|*.csv;*.txt", "Tabellen (*.csv *.txt)"},
        {"Datenbank (Access)|*.mdb", "Datenbank (Access) (*.mdb)"},
    };
    for (const auto& [classic, qt] : cases)
        EXPECT_EQ(toQtFileFilter(classic), qt) << classic.toStdString();

    QtDialogs impl("Vek. Chronivo");
    QStringList shown;
    onNextDialog([&](QDialog& d) {
        if (auto* files = qobject_cast<QFileDialog*>(&d))
            shown = files->nameFilters();
        keepShot(d, "dialog-open");
    });
    FileDialogRequest request{"Import", "Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*", {}, {}};
    EXPECT_FALSE(impl.ShowOpen(request));
    EXPECT_EQ(shown, (QStringList{"Textdateien (*.txt)", "Alle Dateien (*.*)"}));
}

TEST(Dialogs, AFileDialogKeepsItsStateInTheTestProgramsOwnConfigFolder) {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_NE(QDir::cleanPath(config), QDir::cleanPath(QDir::homePath() + "/.config"));
    onNextDialog([](QDialog&) {});
    FileDialogRequest request{"Import", "Text|*.txt", {}, {}};
    EXPECT_FALSE(QtDialogs("Vek. Chronivo").ShowOpen(request));
    EXPECT_TRUE(QFile::exists(QDir(config).filePath("QtProject.conf")));
}

} // namespace
