#include "update/CodeModule.h"

#include "platform/Dialogs.h"

int CodeModule::UnzipFileViaDll(const QString& archive, const QString& folder, const UnzipOptions& options) {
    m_message.clear();
    m_passwordDeclined = false;
    m_listed = 0;
    return m_unzipper.unzip(archive, folder, options, *this);
}

void CodeModule::print(const QString& text) {
    // Message boxes and the collected text use the CR LF line end throughout.
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace('\n', QStringLiteral("\r\n"));
    m_message += t;
}

int CodeModule::replace(const QString& fileName) {
    const int answer = m_dialogs.MsgBox(QStringLiteral("Overwrite %1?").arg(fileName),
                                        MsgBoxStyle::Exclamation + MsgBoxStyle::YesNoCancel, ReplaceTitle);
    switch (answer) {
    case MsgBoxResult::Yes:
        return UnzipReplace::Yes;
    case MsgBoxResult::No:
        return UnzipReplace::No;
    default:
        return UnzipReplace::None;
    }
}

int CodeModule::password(QByteArray& password, const QString& /*prompt*/, const QString& /*fileName*/) {
    if (m_passwordDeclined)
        return 1;
    const QString typed = m_dialogs.InputBox(QStringLiteral("Please Enter The Password!"));
    if (typed.isEmpty()) {
        m_passwordDeclined = true;
        return 1;
    }
    password = typed.toLatin1();
    return 0;
}

void CodeModule::message(const UnzipListEntry& entry) {
    if (m_listed++ == 0)
        m_message += QStringLiteral("Filename:").leftJustified(50) +
                     QStringLiteral("Size").rightJustified(10) + QStringLiteral("  Date        Time\r\n");
    const QDateTime& t = entry.modified;
    const QString date =
        t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("00/00/0000");
    const QString time = t.isValid() ? t.toString(QStringLiteral("hh:mm")) : QStringLiteral("00:00");
    m_message += entry.fileName.leftJustified(50) +
                 QString::number(entry.uncompressedSize).rightJustified(10) + QStringLiteral("  ") + date +
                 QStringLiteral("  ") + time + QStringLiteral("\r\n");
}

void CodeModule::service(const QString& /*fileName*/, qint64 /*size*/) {
    // Nothing to do per entry; the unpacking is never stopped from here.
}
