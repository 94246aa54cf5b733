#include "ui/qt_platform.h"

#include <unistd.h>

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QSpacerItem>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <utility>

#include "form/live_run.h"
#include "stop_signals.h"

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
    // The run waits here with nothing half written: a stop signal ends the program at once.
    const rt::EndAtOnceOnStop waiting;
    return box.exec() == QMessageBox::Cancel ? rt::Answer::Cancel : rt::Answer::Ok;
}

void QtPlatform::endProgram() {
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
}

int ExecStoppingOnSignals() {
    rt::CatchStopSignals();
    const int wake = rt::StopSignalDescriptor();
    std::optional<QSocketNotifier> notifier;
    if (wake >= 0) notifier.emplace(wake, QSocketNotifier::Read);
    QTimer later;  // looks again while a run goes on, if it ends without a progress point
    later.setSingleShot(true);
    later.setInterval(100);
    const auto look = [&] {
        if (wake >= 0) {
            char bytes[16];
            while (::read(wake, bytes, sizeof bytes) > 0) {
            }
        }
        if (!rt::StopRequested()) return;
        if (form::LiveRun::Active()) {
            later.start();  // the run stops at its next progress point and ends the program
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
        QCoreApplication::exit(0);
    };
    if (notifier) QObject::connect(&*notifier, &QSocketNotifier::activated, look);
    QObject::connect(&later, &QTimer::timeout, look);
    const int status = QApplication::exec();
    notifier.reset();
    rt::EndIfStopRequested();
    return status;
}

}  // namespace ui
