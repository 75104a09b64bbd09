#pragma once

#include "readers/ConsoleProfile.h"

#include <memory>

class MainWindowLink;
class ReaderConsole;
struct Services;

// A new console of that kind, not yet loaded; it reaches the main window through the link.
std::unique_ptr<ReaderConsole> CreateReaderConsole(ReaderKind kind, Services& services,
                                                   MainWindowLink& mainWindow);
