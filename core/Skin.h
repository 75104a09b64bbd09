#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPoint>

class QWidget;

// The common look of the program's windows.
namespace Skin {

// A control whose "Tag" property is "#" keeps its own look.
inline constexpr const char* TagProperty = "Tag";
// The program's icon group.
inline constexpr const char* ProgramIconName = "A00";

// The program icon, then colours and fonts by the kind of each control: buttons take the
// button text colour and Arial, group frames the highlight colour without bold, labels, frames,
// panels and grids the window's own back colour, grids one fixed row height and Tab moving
// between cells; text fields are left as they are; other controls take the window text
// colour. Controls tagged "#" are left alone. A button named cmdBeenden becomes the window's
// Esc button. Never fails; applying it twice gives the same look.
void ApplyFormSkin(QWidget& window);

// Sets the named icon on the window and on the top window that owns it. The program has one
// icon group, ProgramIconName; any other name leaves the icons as they are.
void SetWindowIcon(QWidget& window, const QString& iconName);
// The program icon, drawn for 16, 32, 48 and 64 pixels.
QIcon ProgramIcon();
// The same picture drawn at any size, for larger artwork such as the splash.
QPixmap ProgramIconPixmap(int size);

// An OLE colour &H00BBGGRR, or &H80000000 + n for the system colour with index n.
QColor OleColor(quint32 ole);

// Fills the widget's background with a two-colour gradient: direction 0 left to right,
// 1 top to bottom. The widget keeps it across repaints and resizes.
void PaintGradient(QWidget& widget, const QColor& first, const QColor& second, int direction);
// The same with OLE colours; a system colour takes the system's current colour.
void PaintGradient(QWidget& widget, quint32 first, quint32 second, int direction);

// Marks a window as one of the program's own windows (main window, dialogs, consoles), as
// opposed to message boxes and file dialogs. Coming back to the main window from one of
// these counts as an activation of the main window.
void MarkProgramWindow(QWidget& window);
bool IsProgramWindow(const QWidget* window);

// Moves a top-level window to a remembered position (its frame's top left, in pixels), then
// shifts it as little as needed to lie wholly in the free area of the screen that holds that
// point, or of the primary screen when none does: a position saved on a larger or a
// since-removed screen must not leave the window's buttons out of reach. A window larger than
// that area keeps its top left corner, with the title bar, on the screen.
void MoveOntoScreen(QWidget& window, const QPoint& topLeft);

} // namespace Skin
