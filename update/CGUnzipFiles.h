#pragma once

#include "update/CodeModule.h"

#include <QString>

class Dialogs;
class Unzipper;

// Unpacks a zip archive into a folder. Properties carry the options (flags hold 1 or 0);
// Unzip runs the unpacking and GetLastMessage hands out what it reported. The class
// raises no errors of its own: failures come back as the unpacker's code and text.
class CGUnzipFiles final {
public:
    CGUnzipFiles(Unzipper& unzipper, Dialogs& dialogs) : m_module(unzipper, dialogs) {}

    int ExtractNewer() const { return m_extractNewer; }
    void setExtractNewer(bool on) { m_extractNewer = on ? 1 : 0; }
    int SpaceToUnderScore() const { return m_spaceToUnderScore; }
    void setSpaceToUnderScore(bool on) { m_spaceToUnderScore = on ? 1 : 0; }
    int PromptOverwrite() const { return m_promptOverwrite; }
    void setPromptOverwrite(bool on) { m_promptOverwrite = on ? 1 : 0; }
    qint32 MessageLevel() const { return m_messageLevel; }
    void setMessageLevel(qint32 level) { m_messageLevel = level; }
    int WriteToStdOut() const { return m_writeToStdOut; }
    void setWriteToStdOut(bool on) { m_writeToStdOut = on ? 1 : 0; }
    int TestZip() const { return m_testZip; }
    void setTestZip(bool on) { m_testZip = on ? 1 : 0; }
    qint32 ExtractList() const { return m_extractList; }
    void setExtractList(qint32 list) { m_extractList = list; }
    int ExtractOnlyNewer() const { return m_extractOnlyNewer; }
    void setExtractOnlyNewer(bool on) { m_extractOnlyNewer = on ? 1 : 0; }
    int DisplayComment() const { return m_displayComment; }
    void setDisplayComment(bool on) { m_displayComment = on ? 1 : 0; }
    int HonorDirectories() const { return m_honorDirectories; }
    void setHonorDirectories(bool on) { m_honorDirectories = on ? 1 : 0; }
    int OverWriteFiles() const { return m_overWriteFiles; }
    void setOverWriteFiles(bool on) { m_overWriteFiles = on ? 1 : 0; }
    int ConvertCRtoCRLF() const { return m_convertCRtoCRLF; }
    void setConvertCRtoCRLF(bool on) { m_convertCRtoCRLF = on ? 1 : 0; }
    int Verbose() const { return m_verbose; }
    void setVerbose(bool on) { m_verbose = on ? 1 : 0; }
    int CaseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool on) { m_caseSensitive = on ? 1 : 0; }
    qint32 Privilege() const { return m_privilege; }
    void setPrivilege(qint32 privilege) { m_privilege = privilege; }
    const QString& ZipFileName() const { return m_zipFileName; }
    void setZipFileName(const QString& name) { m_zipFileName = name; }
    const QString& ExtractDir() const { return m_extractDir; }
    void setExtractDir(const QString& dir) { m_extractDir = dir; }

    // A non-empty argument replaces ZipFileName or ExtractDir for this and later calls.
    // Answers 0 for success, else the unpacker's code. The number properties are handed on
    // as 16-bit values: one outside that range raises RuntimeError 6 (overflow) before
    // anything is unpacked.
    qint32 Unzip(const QString& zipFileName = {}, const QString& extractDir = {});

    // The text collected during the last Unzip: the unpacker's messages and listing lines.
    QString GetLastMessage() const { return m_module.collected(); }

private:
    CodeModule m_module;
    int m_extractNewer = 0;
    int m_spaceToUnderScore = 0;
    int m_promptOverwrite = 0;
    qint32 m_messageLevel = 2;
    int m_writeToStdOut = 0;
    int m_testZip = 0;
    qint32 m_extractList = 0;
    int m_extractOnlyNewer = 0;
    int m_displayComment = 0;
    int m_honorDirectories = 1;
    int m_overWriteFiles = 1;
    int m_convertCRtoCRLF = 0;
    int m_verbose = 0;
    int m_caseSensitive = 1;
    qint32 m_privilege = 0;
    QString m_zipFileName;
    QString m_extractDir;
};
