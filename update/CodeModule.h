#pragma once

#include "platform/Unzip.h"

#include <QString>

class Dialogs;
class Unzipper;

// The glue between the unzip wrapper and the unpacker: it answers the unpacker's questions
// through the program's dialogs and collects its text output and listing into one message
// text. The message state belongs to one call and is cleared when the next call starts.
class CodeModule final : private UnzipCallbacks {
public:
    CodeModule(Unzipper& unzipper, Dialogs& dialogs) : m_unzipper(unzipper), m_dialogs(dialogs) {}

    // Unpacks the archive into the folder with the given options; answers the unpacker's code.
    int UnzipFileViaDll(const QString& archive, const QString& folder, const UnzipOptions& options);

    // Everything the last call printed and listed, lines ended by CR LF.
    const QString& collected() const { return m_message; }

    static constexpr const char* ReplaceTitle = "VBUnZip32 - File Already Exists!";

private:
    void print(const QString& text) override;
    int replace(const QString& fileName) override;
    int password(QByteArray& password, const QString& prompt, const QString& fileName) override;
    void message(const UnzipListEntry& entry) override;
    void service(const QString& fileName, qint64 size) override;

    Unzipper& m_unzipper;
    Dialogs& m_dialogs;
    QString m_message;
    bool m_passwordDeclined = false;
    int m_listed = 0;
};
