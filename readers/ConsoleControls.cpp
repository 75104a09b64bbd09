#include "readers/ConsoleControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ConsoleControls {

namespace {

QLineEdit* textRow(QGridLayout* grid, int row, const char* name, const QString& caption, int index) {
    QLineEdit* box = lineEdit(name);
    box->setProperty("Index", index);
    box->setReadOnly(true);
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(box, row, 1, 1, -1);
    return box;
}

} // namespace

QLineEdit* lineEdit(const char* name, const QString& toolTip) {
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromUtf8(name));
    e->setToolTip(toolTip);
    return e;
}

QPushButton* button(const char* name, const QString& caption, const QString& toolTip) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromUtf8(name));
    b->setToolTip(toolTip);
    return b;
}

QPushButton* pictureButton(const char* name, QStyle::StandardPixmap picture, const QString& toolTip) {
    QPushButton* b = button(name, {}, toolTip);
    b->setIcon(b->style()->standardIcon(picture));
    b->setIconSize(QSize(20, 20));
    b->setFixedSize(34, 30);
    return b;
}

QLineEdit* sentBox(QGridLayout* grid, int row, int index) {
    return textRow(grid, row, "edtTransMsg", QStringLiteral("TRX:"), index);
}

QLineEdit* receivedBox(QGridLayout* grid, int row, int index) {
    return textRow(grid, row, "edtRcvMsg", QStringLiteral("RCV:"), index);
}

} // namespace ConsoleControls
