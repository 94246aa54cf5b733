#include "ui/qt_platform.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace ui {

int TitleWidth(const QString& title) {
    // The window manager draws the title in a font of its own, often bold: take the wider of
    // the application's bold font and Qt's title font, then room for an icon, buttons, margins.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int text =
        std::max(QFontMetrics(bold).horizontalAdvance(title),
                 QFontMetrics(QApplication::font("QMdiSubWindowTitle")).horizontalAdvance(title));
    return text + kTitleBarExtras;
}

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
    // QMessageBox fixes its own size when shown and ignores a minimum width; a spacer across its
    // grid widens the layout it measures, so the title bar has room for the whole title.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        int width = TitleWidth(box.windowTitle());
        if (const QScreen* screen = box.screen())
            width = std::min(width, screen->availableGeometry().width() * 3 / 4);
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box.exec() == QMessageBox::Cancel ? rt::Answer::Cancel : rt::Answer::Ok;
}

void QtPlatform::endProgram() {
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
}

}  // namespace ui
