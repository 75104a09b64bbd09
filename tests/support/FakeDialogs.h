#pragma once

#include "platform/Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Dialogs that answer from a plan. Every text shown is recorded; a dialog nobody planned
// fails the running test and answers as if cancelled (or OK for a plain box).
class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind; // "MsgBox", "InputBox", "Open", "Save", "Color", "Font"
        QString text;
        int style = 0;
    };

    // Plans: each is taken by the next dialog of its kind, in order.
    void planMsgBox(int answer) { m_msgAnswers.push_back(answer); }
    void planInputBox(const QString& text) { m_inputAnswers.push_back(text); }
    // An empty name plans a cancelled dialog.
    void planFile(const QString& fileName) { m_fileAnswers.push_back(fileName); }
    void planColor(const QColor& c) { m_colorAnswers.push_back(c); }
    void planFont(const QFont& f) { m_fontAnswers.push_back(f); }
    // Plain boxes (style without buttons) need no plan when this is on; they answer OK.
    void allowInformationBoxes(bool allow) { m_allowPlain = allow; }

    const std::vector<Shown>& shown() const { return m_shown; }
    QStringList messages() const;
    int countContaining(const QString& fragment) const;
    // True when every planned answer was used.
    bool allPlansUsed() const;

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    bool ShowOpen(FileDialogRequest& request) override;
    bool ShowSave(FileDialogRequest& request) override;
    bool ShowColor(QColor& color) override;
    bool ShowFont(QFont& font) override;

    // The last request seen by a file dialog (preset name, filter, title).
    FileDialogRequest lastFileRequest;

private:
    bool file(const QString& kind, FileDialogRequest& request);

    std::deque<int> m_msgAnswers;
    std::deque<QString> m_inputAnswers;
    std::deque<QString> m_fileAnswers;
    std::deque<QColor> m_colorAnswers;
    std::deque<QFont> m_fontAnswers;
    std::vector<Shown> m_shown;
    bool m_allowPlain = true;
};
