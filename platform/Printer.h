#pragma once

#include <QPrinter>

#include <functional>
#include <memory>

// Where the program prints without asking: the system's default printer. Null when the
// system has none, so the caller can say so instead of printing into nothing.
std::unique_ptr<QPrinter> DefaultPrinter();

using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
