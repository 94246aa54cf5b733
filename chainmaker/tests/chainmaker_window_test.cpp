#include "chainmaker_window.h"

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

#include "program_texts.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/live_run.h"
#include "ui/twips.h"

namespace {

using testing_support::ScriptedPlatform;
using testing_support::TempFolder;
using testing_support::UnhandledReport;

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
    const QRect needed =
        button->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap,
                                           QString::fromUtf8(ChainmakerWindow::kDoneCaption));
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
                  QString::fromUtf8(ChainmakerWindow::kDoneCaption));
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
        window.mnuHlp_Click();
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

TEST_F(ChainmakerWindowTest, HelpBeforeAndAfterARunShowsTheSameText) {
    folder.write("in.txt", "a\r\n");
    window.findChild<QAction*>("mnuHlp")->trigger();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kHelp);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_EQ(caption(), QStringLiteral("Go"));
    EXPECT_FALSE(folder.exists("out.txt"));

    go()->click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    window.mnuHlp_Click();
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, kHelp);
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
    EXPECT_EQ(platform.endCount, 0);
}

// ---- Runs -------------------------------------------------------------------------------------

TEST_F(ChainmakerWindowTest, DefaultRunWritesTheExampleWithSpaces) {
    folder.write("in.txt", "a\r\nb\r\n");
    go()->click();
    EXPECT_EQ(folder.read("out.txt"),
              "a\r\nb\r\na a\r\na b\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\na b b\r\n"
              "b a a\r\nb a b\r\nb b a\r\nb b b\r\n");
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(window.alreadyClicked());
    EXPECT_EQ(window.inputCount(), 2);
}

TEST_F(ChainmakerWindowTest, ARunNoDiskHoldsIsNotStartedAndTheNextClickIsAFreshRun) {
    // 2000 strings in block six: 6.4 * 10^19 lines, more than any disk.
    std::string strings;
    for (int i = 0; i < 2000; ++i) strings += "s" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    folder.write("out.txt", "old\r\n");
    tick("chkSix", true);
    go()->click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_NE(platform.boxes[0].text.find("64,000,000,008,004,002,000 lines"), std::string::npos)
        << platform.boxes[0].text;
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(window.alreadyClicked());

    // The settings of the next click count: block one alone, from the list as it is then.
    folder.write("in.txt", "a\n");
    for (const char* box : {"chkTwo", "chkThree", "chkSix"}) tick(box, false);
    go()->click();
    EXPECT_EQ(folder.read("out.txt"), "a\r\n");
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(ChainmakerWindowTest, ClosingTheWindowDuringARunStopsItAfterAWholeLine) {
    // 100 strings, blocks one to three: about 9 MB, written in chunks of a megabyte.
    std::string strings;
    for (int i = 0; i < 100; ++i) strings += "string" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    go()->click();
    const std::string whole = folder.read("out.txt");

    ScriptedPlatform closing;
    ChainmakerWindow closed(closing, folder.path());
    ui::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    QString during;  // the caption while the run goes on
    QMetaObject::invokeMethod(
        &closed,
        [&] {
            during = closed.findChild<QPushButton*>("Command1")->text();
            closed.close();
        },
        Qt::QueuedConnection);
    closed.Command1_Click();
    ui::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));

    EXPECT_EQ(closing.endCount, 1);
    EXPECT_TRUE(closing.boxes.empty());
    const std::string stopped = folder.read("out.txt");
    EXPECT_LT(stopped.size(), whole.size());
    EXPECT_GT(stopped.size(), 0u);
    EXPECT_EQ(whole.compare(0, stopped.size(), stopped), 0);
    EXPECT_EQ(stopped.substr(stopped.size() - 2), "\r\n");
    EXPECT_TRUE(during.startsWith("Writing... ")) << during.toStdString();
}

TEST_F(ChainmakerWindowTest, ClickAfterDoneEndsWithoutTouchingFiles) {
    folder.write("in.txt", "a\r\n");
    window.Command1_Click();
    ASSERT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
    folder.write("in.txt", "b\r\n");
    folder.write("out.txt", "kept\r\n");
    go()->click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("out.txt"), "kept\r\n");
    EXPECT_EQ(window.inputCount(), 1);
}

TEST_F(ChainmakerWindowTest, MissingExcludeFileStopsTheRunAndTheNextClickEnds) {
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old\r\n");
    tick("chkExclude", true);
    window.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, testing_support::chainmaker_texts::kExcludeMissingBox);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_TRUE(window.excludeFileMissing());
    EXPECT_EQ(window.separator(), " ") << "settled before the run";
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
    EXPECT_EQ(caption(), QStringLiteral("Go"));
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(window.alreadyClicked());

    // Putting the file in place does not make the next click a new run.
    folder.write("exclude.txt", "a\r\n");
    window.Command1_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
}

TEST_F(ChainmakerWindowTest, UnreadableExcludeFileGivesTheSameMessage) {
    folder.write("in.txt", "a\r\n");
    std::filesystem::create_directory(folder / "exclude.txt");
    tick("chkExclude", true);
    window.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, testing_support::chainmaker_texts::kExcludeMissingBox);
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST_F(ChainmakerWindowTest, MissingInputIsReportedAndEndsBeforeExcludeIsLookedAt) {
    tick("chkExclude", true);
    window.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(53));
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), QStringLiteral("Go"));
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST_F(ChainmakerWindowTest, OutputThatCannotBeCreatedIsReportedAndEnds) {
    folder.write("in.txt", "a\r\n");
    std::filesystem::create_directory(folder / "out.txt");
    window.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text,
              UnhandledReport(70, "out.txt is a folder, not a file: rename or remove it"));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), QStringLiteral("Go"));
}

TEST_F(ChainmakerWindowTest, ExclusionOffNeverLooksForTheFile) {
    folder.write("in.txt", "a\r\n");
    tick("chkTwo", false);
    tick("chkThree", false);
    window.Command1_Click();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("out.txt"), "a\r\n");
}

TEST_F(ChainmakerWindowTest, ExcludedLinesAreLeftOut) {
    folder.write("in.txt", "a\r\nb\r\n");
    folder.write("exclude.txt", "b\r\na b\r\nb b b\r\n");
    tick("chkExclude", true);
    window.Command1_Click();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(window.excludeCount(), 3);
    EXPECT_EQ(folder.read("out.txt"),
              "a\r\na a\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\na b b\r\n"
              "b a a\r\nb a b\r\nb b a\r\n");
}

TEST_F(ChainmakerWindowTest, NoBlockTickedGivesAnEmptyFileAndDone) {
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old\r\n");
    for (const char* name : {"chkOne", "chkTwo", "chkThree"}) tick(name, false);
    window.Command1_Click();
    EXPECT_TRUE(folder.exists("out.txt"));
    EXPECT_EQ(folder.read("out.txt"), "");
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
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

TEST_F(ChainmakerWindowTest, AllSixBlocksForOneString) {
    folder.write("in.txt", "w\r\n");
    for (const char* name : {"chkFour", "chkFive", "chkSix"}) tick(name, true);
    control<QRadioButton>("optTab")->click();
    window.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"),
              "w\r\nw\tw\r\nw\tw\tw\r\nw\tw\tw\tw\r\nw\tw\tw\tw\tw\r\nw\tw\tw\tw\tw\tw\r\n");
}

TEST_F(ChainmakerWindowTest, LinesReachOutTxtOnlyDuringARun) {
    folder.write("in.txt", "x\r\n");
    EXPECT_FALSE(folder.exists("out.txt"));
    window.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"), "x\r\nx x\r\nx x x\r\n");
    window.mnuHlp_Click();
    EXPECT_EQ(folder.read("out.txt"), "x\r\nx x\r\nx x x\r\n");
}

// ---- Separator --------------------------------------------------------------------------------

struct SeparatorCase {
    const char* name;
    const char* option;
    const char* typed;
    std::string separator;
};

void PrintTo(const SeparatorCase& c, std::ostream* os) {
    *os << c.name;
}

class SeparatorTest : public ChainmakerWindowTest,
                      public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(SeparatorTest, ComesFromTheSelectedOption) {
    control<QRadioButton>(GetParam().option)->click();
    control<QLineEdit>("txtSeparator")->setText(QString::fromUtf8(GetParam().typed));
    window.EstablishSeparator();
    EXPECT_EQ(window.separator(), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SeparatorTest,
    ::testing::Values(SeparatorCase{"Space", "optSpace", "", " "},
                      SeparatorCase{"SpaceIgnoresTheBox", "optSpace", "xyz", " "},
                      SeparatorCase{"Tab", "optTab", "", "\t"},
                      SeparatorCase{"None", "optNoSeparator", "-", ""},
                      SeparatorCase{"OtherUntrimmed", "optOtherSeparator", " - ", " - "},
                      SeparatorCase{"OtherEmpty", "optOtherSeparator", "", ""},
                      SeparatorCase{"OtherUtf8", "optOtherSeparator", "\xC2\xB7", "\xC2\xB7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChainmakerWindowTest, OtherSeparatorIsUsedInTheRun) {
    folder.write("in.txt", "x\r\ny\r\n");
    tick("chkOne", false);
    tick("chkThree", false);
    control<QRadioButton>("optOtherSeparator")->click();
    control<QLineEdit>("txtSeparator")->setText(QStringLiteral(" :: "));
    window.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"), "x :: x\r\nx :: y\r\ny :: x\r\ny :: y\r\n");
}

}  // namespace

namespace {

TEST_F(ChainmakerWindowTest, EnterOnTheFocusedButtonClicksIt) {
    folder.write("in.txt", "a\r\n");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(go(), &press);
    EXPECT_EQ(folder.read("out.txt"), "a\r\na a\r\na a a\r\n");
    EXPECT_EQ(caption(), QString::fromUtf8(ChainmakerWindow::kDoneCaption));
}

TEST_F(ChainmakerWindowTest, EnterInTheSeparatorBoxStartsNoRun) {
    folder.write("in.txt", "a\r\n");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(control("txtSeparator"), &press);
    EXPECT_FALSE(window.alreadyClicked());
    EXPECT_FALSE(folder.exists("out.txt"));
}

}  // namespace
