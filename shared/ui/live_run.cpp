#include "ui/live_run.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// A run that ends sooner shows nothing of this.
std::chrono::milliseconds firstServe{500};
std::chrono::milliseconds serveEvery{100};

int liveRuns = 0;  // LiveRun objects alive

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove: return true;
        default: return false;
    }
}

}  // namespace

LiveRun::LiveRun(QWidget* window, QPushButton* button)
    : window_(window), button_(button), next_(std::chrono::steady_clock::now() + firstServe) {
    // Every event passes the filter: the window's input is dropped, its close noted. (Serving
    // the window with user input excluded would also hold back the desktop's request to close.)
    QCoreApplication::instance()->installEventFilter(this);
    if (button_) caption_ = button_->text();
    ++liveRuns;
}

LiveRun::~LiveRun() {
    --liveRuns;
    QCoreApplication::instance()->removeEventFilter(this);
    if (button_ && !shown_.isEmpty() && button_->text() == shown_) button_->setText(caption_);
}

bool LiveRun::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        // The window stays until the run has stopped; then the program ends.
        stopRequested_ = true;
        event->ignore();
        return true;
    }
    // The controls take no input while the run goes on; a box the run shows does.
    if (IsInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
        // Claiming a key for the focused control keeps it from reaching a shortcut (F1, Alt+H),
        // whose action would not pass this filter as a control.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LiveRun::serve(std::chrono::steady_clock::time_point now, const QString& caption) {
    next_ = now + serveEvery;
    if (button_ && !caption.isEmpty() && button_->text() != caption) {
        button_->setText(caption);
        shown_ = caption;
    }
    QCoreApplication::processEvents();
    if (stopRequested_ || rt::StopRequested()) throw RunStopped{};
}

bool LiveRun::Active() noexcept {
    return liveRuns > 0;
}

void LiveRun::setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds every) {
    firstServe = first;
    serveEvery = every;
}

QString ProgressCaption(const char* doing, double done, double total) {
    const double share = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 0.0;
    return QString("%1 %2 %")
        .arg(QString::fromUtf8(doing))
        .arg(static_cast<int>(std::floor(share * 100)));
}

}  // namespace ui
