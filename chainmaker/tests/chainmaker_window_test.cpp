// The window as the Qt builder makes it, under the offscreen platform: its controls and places,
// the font, the keyboard, and a close during a run. What its clicks do is tested over a scripted
// view (chainmaker_form_test.cpp).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <string>
#include <vector>

#include "chainmaker_form.h"
#include "form/live_run.h"
#include "program_texts.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/qt_form.h"
#include "ui/twips.h"

namespace {

using testing_support::ScriptedPlatform;
using testing_support::TempFolder;
using testing_support::UnhandledReport;

// The window as the program makes it: built from its declaration, its clicks connected.
struct ChainmakerWindow : ui::QtForm {
    ChainmakerWindow(rt::Platform& platform, const std::filesystem::path& folder)
        : ui::QtForm(ChainmakerForm::Declaration()), form(*this, platform, folder) {
        connectHandlers(form.handlers());
    }
    void Command1_Click() { form.Command1_Click(); }
    bool alreadyClicked() const { return form.alreadyClicked(); }
    std::int32_t inputCount() const { return form.inputCount(); }

    ChainmakerForm form;
};

const std::string kHelp =
    "Forms all string combinations of a list of strings; for example, { a, b } gives {a, b, aa, "
    "ab, ba, bb, aaa, aab, aba, abb, baa, bab, bba, bbb }.  Input file assumed to be in this "
    "folder, named in in.txt, output file will also be in this folder and be named out.txt.";

// A window on a fresh folder; the font test makes one window for each font.
class ChainmakerWindowTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    TempFolder folder;
    ChainmakerWindow window{platform, folder.path()};

    template <typename T = QWidget>
    T* control(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton* go() { return control<QPushButton>("Command1"); }
    QString caption() { return go()->text(); }
    void tick(const char* name, bool on) {
        control<QCheckBox>(name)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
};

// ---- The window as it opens -------------------------------------------------------------------

struct Layout {
    const char* name;
    const char* caption;
    int left, top, width, height;
    bool inFrame;
};

const Layout kLayout[] = {
    {"Command1", "Go", 1320, 480, 2295, 1455, false},
    {"chkTwo", "Form all combinations of two", 1080, 3048, 2895, 615, false},
    {"chkThree", "Form combinations of three", 1080, 3696, 2895, 615, false},
    {"chkOne", "Include original list", 1080, 2400, 3015, 615, false},
    {"Frame1", "Use this separator", 4560, 480, 4095, 2535, false},
    {"optSpace", "Space", 240, 360, 3255, 495, true},
    {"optTab", "Tab", 240, 840, 3255, 495, true},
    {"optNoSeparator", "None", 240, 1320, 3255, 495, true},
    {"optOtherSeparator", "Other (specify):", 240, 1800, 1695, 495, true},
    {"txtSeparator", "", 2280, 1800, 1335, 375, true},
    {"chkFour", "Form combinations of four", 1080, 4344, 2895, 615, false},
    {"chkFive", "Form combinations of five", 1080, 4992, 2775, 615, false},
    {"chkSix", "Form combinations of six", 1080, 5640, 3015, 615, false},
    {"chkExclude", "Exclude strings in the file exclude.txt", 4560, 3360, 4095, 615, false},
};

QString CaptionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text();
    return {};
}

TEST_F(ChainmakerWindowTest, ControlsHaveTheirCaptionsAndPlaces) {
    QWidget* frame = control("Frame1");
    const ui::Twips twips(window.font());
    for (const Layout& item : kLayout) {
        SCOPED_TRACE(item.name);
        QWidget* widget = control(item.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(CaptionOf(widget), QString::fromUtf8(item.caption));
        EXPECT_EQ(widget->geometry(), twips.rect(item.left, item.top, item.width, item.height));
        if (item.inFrame) {
            EXPECT_EQ(widget->parentWidget(), frame);
        } else {
            EXPECT_EQ(widget->parentWidget(), window.centralWidget());
        }
    }
}

TEST_F(ChainmakerWindowTest, OpensWithItsInitialStates) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Chainmaker"));
    EXPECT_EQ(window.centralWidget()->size(), ui::Twips(window.font()).size(9105, 7065));
    EXPECT_EQ(window.centralWidget()->minimumSize(), window.centralWidget()->maximumSize());
    for (const char* name : {"chkOne", "chkTwo", "chkThree"})
        EXPECT_EQ(control<QCheckBox>(name)->checkState(), Qt::Checked) << name;
    for (const char* name : {"chkFour", "chkFive", "chkSix", "chkExclude"})
        EXPECT_EQ(control<QCheckBox>(name)->checkState(), Qt::Unchecked) << name;
    EXPECT_TRUE(control<QRadioButton>("optSpace")->isChecked());
    for (const char* name : {"optTab", "optNoSeparator", "optOtherSeparator"})
        EXPECT_FALSE(control<QRadioButton>(name)->isChecked()) << name;
    EXPECT_TRUE(control<QLineEdit>("txtSeparator")->text().isEmpty());
    EXPECT_EQ(window.focusWidget(), go());
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_EQ(window.inputCount(), 0);
    EXPECT_TRUE(folder.path().empty() || std::filesystem::is_empty(folder.path()));
}

TEST_F(ChainmakerWindowTest, OptionsFormOneGroup) {
    control<QRadioButton>("optOtherSeparator")->click();
    EXPECT_TRUE(control<QRadioButton>("optOtherSeparator")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("optSpace")->isChecked());
}

TEST_F(ChainmakerWindowTest, HasItsOwnIcon) {
    const QIcon icon = window.windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32)}));
}

TEST_F(ChainmakerWindowTest, MenuBarHoldsOnlyHelpWithoutSubmenu) {
    const QList<QAction*> actions = window.menuBar()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Help"));
    EXPECT_EQ(actions[0]->objectName(), QStringLiteral("mnuHlp"));
    EXPECT_EQ(actions[0]->menu(), nullptr);
}

TEST_F(ChainmakerWindowTest, TabOrderFollowsTheControls) {
    std::vector<std::string> expected;
    for (const Layout& item : kLayout)
        if (std::string(item.name) != "Frame1") expected.emplace_back(item.name);
    // The frame itself takes no focus; every other control comes in its turn.
    std::vector<std::string> names;
    QWidget* widget = go();
    for (int step = 0; step < 100 && names.size() < expected.size(); ++step) {
        if (!widget->objectName().isEmpty() && (widget->focusPolicy() & Qt::TabFocus))
            names.push_back(widget->objectName().toStdString());
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(names, expected);
}

TEST_F(ChainmakerWindowTest, DoneCaptionFitsInTheButton) {
    QPushButton* button = go();
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect area =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    const QRect room = area.adjusted(margin / 2, 0, -margin / 2, 0);
    const QRect needed = button->fontMetrics().boundingRect(
        room, Qt::AlignCenter | Qt::TextWordWrap, QString::fromUtf8(ChainmakerForm::kDoneCaption));
    EXPECT_TRUE(room.contains(needed)) << needed.width() << "x" << needed.height() << " in "
                                       << room.width() << "x" << room.height();
}

using ChainmakerWindowFonts = ChainmakerWindowTest;

TEST_F(ChainmakerWindowFonts, PlacesFollowTheFontAndEveryTextIsReadableBeforeAndAfterARun) {
    for (const int points : {8, 11, 14}) {
        SCOPED_TRACE(points);
        testing_support::DesktopFont font(points);
        ChainmakerWindow w{platform, folder.path()};
        const ui::Twips twips(QApplication::font());
        EXPECT_EQ(w.centralWidget()->size(), twips.size(9105, 7065));
        for (const Layout& item : kLayout) {
            EXPECT_EQ(w.findChild<QWidget*>(item.name)->geometry(),
                      twips.rect(item.left, item.top, item.width, item.height))
                << item.name;
        }
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
        folder.write("in.txt", "a\r\n");
        w.Command1_Click();
        ASSERT_EQ(w.findChild<QPushButton*>("Command1")->text(),
                  QString::fromUtf8(ChainmakerForm::kDoneCaption));
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
    }
}

// ---- Help -------------------------------------------------------------------------------------

TEST_F(ChainmakerWindowTest, AfterHelpTheFocusIsBackOnTheControlThatHadIt) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const char* name : {"Command1", "txtSeparator", "chkExclude"}) {
        SCOPED_TRACE(name);
        QWidget* had = control(name);
        had->setFocus(Qt::TabFocusReason);
        // Alt gives the focus to the menu bar; Enter there chooses Help.
        window.menuBar()->setFocus(Qt::MenuBarFocusReason);
        platform.onBox = [&](const ScriptedPlatform::Box&) { window.menuBar()->setFocus(); };
        window.menuAction()->trigger();
        EXPECT_EQ(QApplication::focusWidget(), had);
    }
    // F1 shows Help from any control, the separator box too, and leaves the focus there.
    control("txtSeparator")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control("txtSeparator"), Qt::Key_F1);
    EXPECT_EQ(platform.boxes.size(), 4u);
    EXPECT_EQ(QApplication::focusWidget(), control("txtSeparator"));
}

TEST_F(ChainmakerWindowTest, AltLettersNeverTypeIntoTheSeparatorBox) {
    auto* box = control<QLineEdit>("txtSeparator");
    QTest::keyClicks(box, "h", Qt::AltModifier);
    QTest::keyClick(box, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(box->text(), "");
    QTest::keyClicks(box, "::");
    EXPECT_EQ(box->text(), "::");
}

// ---- A run in the window
// -------------------------------------------------------------------------------------

TEST_F(ChainmakerWindowTest, ClosingTheWindowDuringARunStopsItAfterAWholeLine) {
    // 100 strings, blocks one to three: about 9 MB, written in chunks of a megabyte.
    std::string strings;
    for (int i = 0; i < 100; ++i) strings += "string" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    go()->click();
    const std::string whole = folder.read("out.txt");

    ScriptedPlatform closing;
    ChainmakerWindow closed(closing, folder.path());
    form::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    QString during;  // the caption while the run goes on
    QMetaObject::invokeMethod(
        &closed,
        [&] {
            during = closed.findChild<QPushButton*>("Command1")->text();
            closed.close();
        },
        Qt::QueuedConnection);
    closed.Command1_Click();
    form::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));

    EXPECT_EQ(closing.endCount, 1);
    EXPECT_TRUE(closing.boxes.empty());
    const std::string stopped = folder.read("out.txt");
    EXPECT_LT(stopped.size(), whole.size());
    EXPECT_GT(stopped.size(), 0u);
    EXPECT_EQ(whole.compare(0, stopped.size(), stopped), 0);
    EXPECT_EQ(stopped.substr(stopped.size() - 2), "\r\n");
    EXPECT_TRUE(during.startsWith("Writing... ")) << during.toStdString();
}

TEST_F(ChainmakerWindowTest, OnlyAFullTickCountsAsTicked) {
    folder.write("in.txt", "a\r\n");
    auto* one = control<QCheckBox>("chkOne");
    one->setTristate(true);
    one->setCheckState(Qt::PartiallyChecked);
    tick("chkThree", false);
    window.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"), "a a\r\n");
}

}  // namespace

namespace {

TEST_F(ChainmakerWindowTest, EnterOnTheFocusedButtonClicksIt) {
    folder.write("in.txt", "a\r\n");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(go(), &press);
    EXPECT_EQ(folder.read("out.txt"), "a\r\na a\r\na a a\r\n");
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerForm::kDoneCaption));
}

TEST_F(ChainmakerWindowTest, EnterInTheSeparatorBoxStartsNoRun) {
    folder.write("in.txt", "a\r\n");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(control("txtSeparator"), &press);
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_FALSE(folder.exists("out.txt"));
}

}  // namespace
