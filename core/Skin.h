#pragma once

#include <QColor>

class QWidget;

// The common look of the program's windows.
namespace Skin {

// A control whose "Tag" property is "#" keeps its own look.
inline constexpr const char* TagProperty = "Tag";

// The program icon, and the window's own back colour on labels, frames and panels; buttons
// and grids keep the system's colours. Controls tagged "#" are left alone. Never fails.
void ApplyFormSkin(QWidget& window);

// An OLE colour &H00BBGGRR, or &H80000000 + n for the system colour with index n.
QColor OleColor(quint32 ole);

// Fills the widget's background with a two-colour gradient: direction 0 left to right,
// 1 top to bottom. The widget keeps it across repaints and resizes.
void PaintGradient(QWidget& widget, const QColor& first, const QColor& second, int direction);

// Marks a window as one of the program's own windows (main window, dialogs, consoles), as
// opposed to message boxes and file dialogs. Coming back to the main window from one of
// these counts as an activation of the main window.
void MarkProgramWindow(QWidget& window);
bool IsProgramWindow(const QWidget* window);

} // namespace Skin
