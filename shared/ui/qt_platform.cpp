#include "ui/qt_platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <utility>

namespace ui {

QtPlatform::QtPlatform(QString applicationTitle) : applicationTitle_(std::move(applicationTitle)) {}

rt::Answer QtPlatform::messageBox(std::string_view text, rt::Buttons buttons,
                                  std::string_view title) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    box.setWindowTitle(title.empty()
                           ? applicationTitle_
                           : QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    if (buttons == rt::Buttons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Cancel ? rt::Answer::Cancel : rt::Answer::Ok;
}

void QtPlatform::endProgram() {
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
}

}  // namespace ui
