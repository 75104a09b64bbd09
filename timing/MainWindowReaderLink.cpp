#include "timing/MainWindowReaderLink.h"

#include "core/Skin.h"
#include "readers/ReaderConsole.h"
#include "readers/ReaderConsoles.h"
#include "timing/frmChronivo.h"

#include <QPushButton>

MainWindowReaderLink::MainWindowReaderLink(frmChronivo& main) : QObject(&main), m_main(main) {}

MainWindowReaderLink::~MainWindowReaderLink() = default;

bool MainWindowReaderLink::isResultButtonEnabled() const {
    return m_main.cmdWertung->isEnabled();
}

bool MainWindowReaderLink::handOverStartnummer(const QString& startnummer, const QDateTime& arrivedAt) {
    return m_main.handOverResult(startnummer, arrivedAt);
}

bool MainWindowReaderLink::isEndingProgram() const {
    return m_main.isUnloaded();
}

ReaderConsole* MainWindowReaderLink::console(ReaderKind kind) const {
    return m_consoles[static_cast<size_t>(kind)].get();
}

void MainWindowReaderLink::open(ReaderKind kind) {
    auto& console = m_consoles[static_cast<size_t>(kind)];
    if (!console) {
        console = CreateReaderConsole(kind, m_main.services(), *this);
        Skin::MarkProgramWindow(*console);
    }
    console->showConsole();
}

void MainWindowReaderLink::closeConsoles() {
    for (auto& console : m_consoles)
        console.reset();
}
