#include "support/FakeDialogs.h"

#include <gtest/gtest.h>

QStringList FakeDialogs::messages() const {
    QStringList out;
    for (const Shown& s : m_shown)
        if (s.kind == "MsgBox")
            out << s.text;
    return out;
}

int FakeDialogs::countContaining(const QString& fragment) const {
    int n = 0;
    for (const Shown& s : m_shown)
        if (s.text.contains(fragment))
            ++n;
    return n;
}

bool FakeDialogs::allPlansUsed() const {
    return m_msgAnswers.empty() && m_inputAnswers.empty() && m_fileAnswers.empty() &&
           m_colorAnswers.empty() && m_fontAnswers.empty();
}

int FakeDialogs::MsgBox(const QString& prompt, int style, const QString& /*title*/) {
    m_shown.push_back({"MsgBox", prompt, style});
    if (!m_msgAnswers.empty()) {
        const int a = m_msgAnswers.front();
        m_msgAnswers.pop_front();
        return a;
    }
    const bool plain = (style & 0x7) == MsgBoxStyle::OkOnly;
    if (!(plain && m_allowPlain))
        ADD_FAILURE() << "unplanned message box: " << prompt.toStdString();
    return plain ? MsgBoxResult::Ok : MsgBoxResult::Cancel;
}

QString FakeDialogs::InputBox(const QString& prompt, const QString& /*title*/,
                              const QString& /*defaultText*/) {
    m_shown.push_back({"InputBox", prompt, 0});
    if (m_inputAnswers.empty()) {
        ADD_FAILURE() << "unplanned input box: " << prompt.toStdString();
        return {};
    }
    const QString a = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    return a;
}

bool FakeDialogs::file(const QString& kind, FileDialogRequest& request) {
    m_shown.push_back({kind, request.title, 0});
    lastFileRequest = request;
    if (m_fileAnswers.empty()) {
        ADD_FAILURE() << "unplanned file dialog: " << kind.toStdString();
        return false;
    }
    const QString a = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    if (a.isEmpty())
        return false;
    request.fileName = a;
    return true;
}

bool FakeDialogs::ShowOpen(FileDialogRequest& request) {
    return file("Open", request);
}

bool FakeDialogs::ShowSave(FileDialogRequest& request) {
    return file("Save", request);
}

bool FakeDialogs::ShowColor(QColor& color) {
    m_shown.push_back({"Color", {}, 0});
    if (m_colorAnswers.empty()) {
        ADD_FAILURE() << "unplanned colour dialog";
        return false;
    }
    color = m_colorAnswers.front();
    m_colorAnswers.pop_front();
    return color.isValid();
}

bool FakeDialogs::ShowFont(QFont& font) {
    m_shown.push_back({"Font", {}, 0});
    if (m_fontAnswers.empty()) {
        ADD_FAILURE() << "unplanned font dialog";
        return false;
    }
    font = m_fontAnswers.front();
    m_fontAnswers.pop_front();
    return true;
}
