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

}  // namespace

LiveRun::LiveRun(QWidget* window, QPushButton* button)
    : window_(window), button_(button), next_(std::chrono::steady_clock::now() + firstServe) {
    if (window_) window_->installEventFilter(this);
    if (button_) caption_ = button_->text();
}

LiveRun::~LiveRun() {
    if (window_) window_->removeEventFilter(this);
    if (button_ && !shown_.isEmpty() && button_->text() == shown_) button_->setText(caption_);
}

bool LiveRun::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        // The window stays until the run has stopped; then the program ends.
        stopRequested_ = true;
        event->ignore();
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
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (stopRequested_) throw RunStopped{};
}

void LiveRun::setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds every) {
    firstServe = first;
    serveEvery = every;
}

QString ProgressCaption(const char* doing, double done, double total) {
    const double share = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 0.0;
    return QString("%1 %2 %").arg(QString::fromUtf8(doing)).arg(static_cast<int>(std::floor(share * 100)));
}

}  // namespace ui
