#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <utility>

namespace {

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

} // namespace

QString toQtFileFilter(const QString& classicFilter) {
    // A classic description usually names its patterns already ("Textdateien (*.txt)"); the
    // dialog shows the description as it stands, so those are dropped before the real
    // patterns are added. A parenthesis without a wildcard is part of the name and stays.
    static const QRegularExpression namedPatterns(QStringLiteral(R"(\s*\(([^()]*[*?][^()]*)\)\s*$)"));
    const QStringList parts = classicFilter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QRegularExpressionMatch named = namedPatterns.match(description);
        if (named.hasMatch())
            description.truncate(named.capturedStart());
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << QStringLiteral("%1 (%2)").arg(description.trimmed(), patterns.simplified()).trimmed();
    }
    return out.join(";;");
}

QString DialogText(const QString& classicText) {
    QString text = classicText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int QtDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(parentWindow());
    box.setWindowTitle(title.isEmpty() ? m_appTitle : title);
    box.setTextFormat(Qt::PlainText);
    box.setText(DialogText(prompt));
    const int icon = style & 0x70;
    box.setIcon(icon == MsgBoxStyle::Critical      ? QMessageBox::Critical
                : icon == MsgBoxStyle::Question    ? QMessageBox::Question
                : icon == MsgBoxStyle::Exclamation ? QMessageBox::Warning
                : icon == MsgBoxStyle::Information ? QMessageBox::Information
                                                   : QMessageBox::NoIcon);
    switch (style & 0x7) {
    case MsgBoxStyle::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgBoxStyle::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgBoxStyle::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    // The standard buttons speak English unless Qt's translations are installed; the program's
    // questions are German, so their answers are too.
    for (const auto& [button, text] :
         {std::pair{QMessageBox::Yes, "&Ja"}, std::pair{QMessageBox::No, "&Nein"},
          std::pair{QMessageBox::Cancel, "Abbrechen"}}) {
        if (QAbstractButton* b = box.button(button))
            b->setText(QString::fromUtf8(text));
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgBoxResult::Yes;
    case QMessageBox::No:
        return MsgBoxResult::No;
    case QMessageBox::Cancel:
        return MsgBoxResult::Cancel;
    default:
        return MsgBoxResult::Ok;
    }
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(title.isEmpty() ? m_appTitle : title);
    dialog.setLabelText(DialogText(prompt));
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

namespace {

bool fileDialog(FileDialogRequest& request, bool save) {
    const QString start = request.fileName.isEmpty() ? request.initialDir : request.fileName;
    const QString filter = toQtFileFilter(request.filter);
    const QString name = save ? QFileDialog::getSaveFileName(parentWindow(), request.title, start, filter)
                              : QFileDialog::getOpenFileName(parentWindow(), request.title, start, filter);
    if (name.isEmpty())
        return false;
    request.fileName = name;
    return true;
}

} // namespace

bool QtDialogs::ShowOpen(FileDialogRequest& request) {
    return fileDialog(request, false);
}

bool QtDialogs::ShowSave(FileDialogRequest& request) {
    return fileDialog(request, true);
}

bool QtDialogs::ShowColor(QColor& color) {
    const QColor chosen = QColorDialog::getColor(color, parentWindow());
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

bool QtDialogs::ShowFont(QFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parentWindow());
    if (ok)
        font = chosen;
    return ok;
}
