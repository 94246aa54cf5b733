#pragma once
// The Splitword window: a threshold box and one button that runs the compound search on the
// files of the current directory and, clicked again, ends the program.

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <functional>

namespace rt {
class Platform;
}
namespace ui {
class CaptionButton;
}
class QLabel;
class QLineEdit;

// Its Qt object name stays "Form1", which tests and the accessibility tree use.
class SplitwordWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplitwordWindow(rt::Platform& platform, QWidget* parent = nullptr);

    // The button's handler: the first click runs the search, the next one ends the program.
    void Command1_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ui::CaptionButton* Command1 = nullptr;
    QLineEdit* ThresholdLength = nullptr;

    // Called with every caption the button is given, before it is painted (for tests).
    std::function<void(const QString&)> onCaption;

  private:
    class RunProgress;

    // The run of a first click; the window being closed meanwhile stops it.
    void RunSteps();

    // Sets the button's caption. Captions that follow each other quickly are painted at most
    // every 30 ms, so that painting never costs more than the search; `now` paints at once.
    void setCaption(const QString& caption, bool now);

    rt::Platform& platform_;
    bool AlreadyClicked = false;
    QElapsedTimer lastPaint_;
};
