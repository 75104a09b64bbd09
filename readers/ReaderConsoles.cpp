#include "readers/ReaderConsoles.h"

#include "readers/TcpReaderConsole.h"
#include "readers/frmSerialReader.h"

std::unique_ptr<ReaderConsole> CreateReaderConsole(ReaderKind kind, Services& services,
                                                   MainWindowLink& mainWindow) {
    switch (kind) {
    case ReaderKind::Motorola:
        return std::make_unique<frmMotorola>(services, mainWindow);
    case ReaderKind::Mercury:
        return std::make_unique<frmMercury>(services, mainWindow);
    case ReaderKind::RFID:
        return std::make_unique<frmRFID>(services, mainWindow);
    case ReaderKind::SerialReader:
        break;
    }
    return std::make_unique<frmSerialReader>(services, mainWindow);
}
