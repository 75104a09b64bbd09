#pragma once

#include <QString>
#include <QStyle>

class QGridLayout;
class QLineEdit;
class QPushButton;

// Small builders for the controls the console tabs share: named as the handlers know them,
// with an "Index" property where a control belongs to a control array.
namespace ConsoleControls {

QLineEdit* lineEdit(const char* name, const QString& toolTip = {});
QPushButton* button(const char* name, const QString& caption, const QString& toolTip = {});
// A button that shows a picture instead of a caption.
QPushButton* pictureButton(const char* name, QStyle::StandardPixmap picture, const QString& toolTip);
// "TRX:" and the box of the text last sent from a tab, and "RCV:" with the box of the reply
// received there; each spans the grid's row from column 1 on.
QLineEdit* sentBox(QGridLayout* grid, int row, int index);
QLineEdit* receivedBox(QGridLayout* grid, int row, int index);

} // namespace ConsoleControls
