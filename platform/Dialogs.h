#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// Message box styles and answers as the windows use them.
namespace MsgBoxStyle {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
} // namespace MsgBoxStyle

namespace MsgBoxResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxResult

// What a file dialog is asked and answers. The caller keeps one of these per dialog
// control, so the name chosen last is offered again next time.
struct FileDialogRequest {
    QString title;
    QString filter; // "Text (*.txt)|*.txt|Alle (*.*)|*.*" as the classic dialogs take it
    QString initialDir;
    QString fileName; // in: preset; out: chosen
};

// Every modal question the program asks goes through here, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Returns one of MsgBoxResult. The title defaults to the application title.
    virtual int MsgBox(const QString& prompt, int style = MsgBoxStyle::OkOnly, const QString& title = {}) = 0;
    // Returns the typed text, or "" when cancelled.
    virtual QString InputBox(const QString& prompt, const QString& title = {},
                             const QString& defaultText = {}) = 0;
    // False when cancelled; otherwise request.fileName holds the choice.
    virtual bool ShowOpen(FileDialogRequest& request) = 0;
    virtual bool ShowSave(FileDialogRequest& request) = 0;
    virtual bool ShowColor(QColor& color) = 0;
    virtual bool ShowFont(QFont& font) = 0;
};

// The real dialogs on Qt's widgets.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QString appTitle) : m_appTitle(std::move(appTitle)) {}

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    bool ShowOpen(FileDialogRequest& request) override;
    bool ShowSave(FileDialogRequest& request) override;
    bool ShowColor(QColor& color) override;
    bool ShowFont(QFont& font) override;

private:
    QString m_appTitle;
};

// A prompt as the classic boxes show it: CR or CR LF starts a new line.
QString DialogText(const QString& classicText);

// The classic "|"-separated filter turned into Qt's ";;"-separated one.
QString toQtFileFilter(const QString& classicFilter);
