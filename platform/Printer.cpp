#include "platform/Printer.h"

#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter> DefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::NativeFormat);
    return printer;
}
