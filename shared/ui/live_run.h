#pragma once
// A run happens inside a click, on the window's thread. A LiveRun keeps the window alive while
// it lasts: called often from the run, it lets the window paint and answer the desktop at most
// ten times a second (the controls take no input), shows how far the run is on a button, and
// turns a request to close the window into RunStopped, thrown out of the run at a point where
// the outputs hold whole lines.

#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>

#include "stop_signals.h"

class QPushButton;
class QWidget;

namespace ui {

// Thrown by LiveRun::pulse when the window was asked to close during the run, and by the jobs
// when a signal asked for a stop (rt::StopRequested).
using RunStopped = rt::RunStopped;

class LiveRun : public QObject {
    Q_OBJECT
  public:
    // `window` is watched for a request to close; `button` shows the progress captions, and its
    // own caption again once the LiveRun is gone.
    LiveRun(QWidget* window, QPushButton* button);
    ~LiveRun() override;
    LiveRun(const LiveRun&) = delete;
    LiveRun& operator=(const LiveRun&) = delete;

    // Cheap unless a tenth of a second has passed since the window was last served. `caption`
    // is called then for the button's caption (an empty one leaves the caption as it is).
    template <class Caption>
    void pulse(Caption&& caption) {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return;
        serve(now, caption());
    }
    void pulse() {
        pulse([] { return QString(); });
    }
    // Whether a run is going on (a LiveRun exists).
    static bool Active() noexcept;

    // Tests serve the window at every call, so that what a long run meets happens in a short one.
    static void setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds every);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void serve(std::chrono::steady_clock::time_point now, const QString& caption);

    QPointer<QWidget> window_;
    QPointer<QPushButton> button_;
    QString caption_;  // the button's own caption, shown again when the run leaves
    QString shown_;    // the last progress caption shown
    std::chrono::steady_clock::time_point next_;
    bool stopRequested_ = false;
};

// "Writing... 41 %": `done` of `total`, in whole percent (0 when the total is 0).
QString ProgressCaption(const char* doing, double done, double total);

}  // namespace ui
