#include "update/CGUnzipFiles.h"

#include "platform/RuntimeError.h"

#include <limits>

namespace {

int asShort(qint32 value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw RuntimeError(6, QStringLiteral("Überlauf"));
    return value;
}

} // namespace

qint32 CGUnzipFiles::Unzip(const QString& zipFileName, const QString& extractDir) {
    if (!zipFileName.isEmpty())
        m_zipFileName = zipFileName;
    if (!extractDir.isEmpty())
        m_extractDir = extractDir;
    UnzipOptions o;
    o.ExtractNewer = m_extractNewer != 0;
    o.SpaceToUnderScore = m_spaceToUnderScore != 0;
    o.PromptOverwrite = m_promptOverwrite != 0;
    o.MessageLevel = asShort(m_messageLevel);
    o.WriteToStdOut = m_writeToStdOut != 0;
    o.TestZip = m_testZip != 0;
    o.ExtractList = asShort(m_extractList);
    o.ExtractOnlyNewer = m_extractOnlyNewer != 0;
    o.DisplayComment = m_displayComment != 0;
    o.HonorDirectories = m_honorDirectories != 0;
    o.OverWriteFiles = m_overWriteFiles != 0;
    o.ConvertCRtoCRLF = m_convertCRtoCRLF != 0;
    o.Verbose = m_verbose != 0;
    o.CaseSensitive = m_caseSensitive != 0;
    o.Privilege = asShort(m_privilege);
    return m_module.UnzipFileViaDll(m_zipFileName, m_extractDir, o);
}
