// The window under the offscreen platform: its controls, the two clicks, the threshold box,
// the captions and the unhandled errors.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <filesystem>
#include <string>
#include <vector>

#include "current_folder.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "splitword_window.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/caption_button.h"
#include "ui/live_run.h"
#include "ui/twips.h"

namespace {

using testing_support::CurrentFolder;
using testing_support::ScriptedPlatform;
using testing_support::TempFolder;
using testing_support::UnhandledReport;
namespace texts = testing_support::splitword_texts;

const std::string& kHeader = texts::kCompoundHeader;

// A window in an English locale, its folder of data the current folder, recording the captions
// it shows; the font tests make one window for each font.
class SplitwordWindowTest : public ::testing::Test {
  protected:
    SplitwordWindowTest() {
        form.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        form.onCaption = [this](const QString& caption) {
            captions.push_back(caption.toStdString());
        };
    }

    TempFolder folder;
    CurrentFolder current{folder.path()};
    ScriptedPlatform platform;
    SplitwordWindow form{platform};
    std::vector<std::string> captions;
};
using SplitwordWindowLayout = SplitwordWindowTest;
using SplitwordWindowAccess = SplitwordWindowTest;
using SplitwordWindowRun = SplitwordWindowTest;

TEST_F(SplitwordWindowLayout, ControlsTextsAndGeometry) {
    const ui::Twips twips(form.font());
    EXPECT_EQ(form.objectName(), "Form1");
    EXPECT_EQ(form.windowTitle(), "Splitword");
    EXPECT_EQ(form.size(), twips.size(4680, 5250));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowIcon().isNull());

    struct Expected {
        QWidget* widget;
        const char* name;
        QString text;
        QRect geometry;
    };
    const std::vector<Expected> controls = {
        {form.Label2, "Label2",
         "Look for possible compounds in a list of words.  This program finds words that are the "
         "concatenation of two other words in the same list.  ",
         twips.rect(360, 240, 4095, 855)},
        {form.Label3, "Label3",
         "Put your word list into a plain-text file called in.txt, located in the same folder as "
         "this program.  Output will appear in out.txt.",
         twips.rect(360, 1200, 4215, 735)},
        {form.Command1, "Command1", "Go", twips.rect(1320, 2280, 2295, 1335)},
        {form.Label1, "Label1", "Threshold length to be counted as a possible compound member:",
         twips.rect(1200, 3960, 2655, 495)},
        {form.ThresholdLength, "ThresholdLength", "2", twips.rect(1800, 4560, 1215, 375)},
    };
    for (const Expected& c : controls) {
        EXPECT_EQ(c.widget->objectName(), c.name);
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.name;
        if (auto* label = qobject_cast<QLabel*>(c.widget)) {
            EXPECT_EQ(label->text(), c.text) << c.name;
            EXPECT_TRUE(label->wordWrap()) << c.name;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << c.name;
            EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << c.name;
            EXPECT_EQ(label->font(), QApplication::font()) << c.name;
        }
    }
    EXPECT_EQ(form.Command1->text(), "Go");
    EXPECT_EQ(form.ThresholdLength->text(), "2");
}

TEST_F(SplitwordWindowLayout, EveryTextReadableWholeBeforeAndAfterARun) {
    for (const int points : {8, 11, 14}) {
        SCOPED_TRACE(points);
        testing_support::DesktopFont desktop(points);
        SplitwordWindow w(platform);
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
        folder.write("in.txt", "black\nbird\nblackbird\n");
        w.Command1_Click();
        ASSERT_EQ(w.Command1->text(), texts::kDoneCaption);
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
        // The longest caption of a run, with the largest counts a list can give.
        w.Command1->setText("Working on #2147483647 out of 2147483647");
        EXPECT_EQ(testing_support::TextsNotReadable(&w), std::vector<std::string>{});
    }
}

TEST_F(SplitwordWindowAccess, AWindowWhoseThresholdBoxIsLabelledByItsLabel) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Splitword");
    EXPECT_EQ(window->childCount(), 5);

    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(form.ThresholdLength);
    ASSERT_NE(box, nullptr);
    const auto labels = box->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object(), form.Label1);
    EXPECT_EQ(box->text(QAccessible::Name), form.Label1->text());
    // The focus frame is drawn from the start, also once shown.
    form.show();
    EXPECT_TRUE(form.testAttribute(Qt::WA_KeyboardFocusChange));
    form.close();
}

TEST_F(SplitwordWindowLayout, ButtonFirstThenTheBox) {
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), form.Command1);
    // The next control the Tab key reaches.
    QWidget* next = form.Command1->nextInFocusChain();
    while (next != form.Command1 && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, form.ThresholdLength);
    form.close();
}

TEST_F(SplitwordWindowRun, FirstClickRunsOnTheCurrentFolder) {
    folder.write("in.txt", "black\nbird\nblackbird\n");
    form.ThresholdLength->setText(" 3 ");
    form.Command1_Click();
    EXPECT_EQ(form.ThresholdLength->text(), "3");
    EXPECT_EQ(folder.read("Debug.txt"), "black\r\nbird\r\nblackbird\r\n");
    EXPECT_EQ(folder.read("out.txt"), kHeader + "blackbird\tblack\tbird\r\n");
    EXPECT_EQ(captions, (std::vector<std::string>{"Reading input file ...", texts::kDoneCaption}));
    EXPECT_EQ(form.Command1->text(), texts::kDoneCaption);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.ended());
}

TEST_F(SplitwordWindowRun, ProgressCaptionsEveryHundredWords) {
    std::string list;
    for (int k = 0; k < 250; ++k) list += "word" + std::to_string(k) + "\n";
    folder.write("in.txt", list);
    form.Command1_Click();
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Reading input file ...", "Working on #100 out of 250",
                                        "Working on #200 out of 250", texts::kDoneCaption}));
}

TEST_F(SplitwordWindowRun, ClosingTheWindowDuringTheSearchEndsAfterWholeLines) {
    std::string list = "black\nbird\nblackbird\n";
    for (int k = 0; k < 250; ++k) list += "word" + std::to_string(k) + "\n";
    folder.write("in.txt", list);
    ui::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    QMetaObject::invokeMethod(
        &form, [&] { form.close(); }, Qt::QueuedConnection);
    form.Command1_Click();
    ui::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    // Stopped before the lines of word 100 were written: whole lines, at most the one find.
    const std::string out = folder.read("out.txt");
    EXPECT_TRUE(out == kHeader || out == kHeader + "blackbird\tblack\tbird\r\n") << out;
}

TEST_F(SplitwordWindowRun, SecondClickEndsWithoutTouchingFiles) {
    folder.write("in.txt", "ab\n");
    form.Command1_Click();
    folder.write("in.txt", "cd\ncdcd\n");
    folder.write("out.txt", "kept");
    form.ThresholdLength->setText("abc");
    captions.clear();
    form.Command1_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(folder.read("out.txt"), "kept");
    EXPECT_EQ(folder.read("Debug.txt"), "ab\r\n");
    EXPECT_EQ(form.ThresholdLength->text(), "abc");
    EXPECT_TRUE(captions.empty());
}

TEST_F(SplitwordWindowRun, ThresholdTextShownAsItsNumber) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        QLocale locale;
        QString typed;
        QString shown;
        std::string kept;  // Debug.txt of the list "ab", "abc", ""
    } cases[] = {
        {english, " 3 ", "3", "abc\r\n"},
        {english, "3x", "3", "abc\r\n"},
        {english, "abc", "0", "ab\r\nabc\r\n\r\n"},
        {english, "", "0", "ab\r\nabc\r\n\r\n"},
        {english, "2.5", "2.5", "abc\r\n"},
        // The leading number is read with "." everywhere; it is shown and read back with ",".
        {german, "2.5", "2,5", "abc\r\n"},
        {german, "2,5", "2", "ab\r\nabc\r\n"},
        // The largest double shows as a text that reads back, not as one past it.
        {english, "1.7976931348623157e308", "1.79769313486231E+308", ""},
        {german, "1.7976931348623157e308", "1,79769313486231E+308", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString() + " " + c.typed.toStdString());
        ScriptedPlatform own;
        SplitwordWindow other(own);
        other.setLocale(c.locale);
        folder.write("in.txt", "ab\nabc\n\n");
        other.ThresholdLength->setText(c.typed);
        other.Command1_Click();
        EXPECT_EQ(other.ThresholdLength->text(), c.shown);
        EXPECT_TRUE(own.boxes.empty());
        EXPECT_EQ(folder.read("Debug.txt"), c.kept);
    }
}

TEST_F(SplitwordWindowRun, FractionalThresholdAppliesToTheWords) {
    folder.write("in.txt", "ab\nabc\n\n");
    form.ThresholdLength->setText("2.5");
    form.Command1_Click();
    EXPECT_EQ(folder.read("Debug.txt"), "abc\r\n");
}

TEST_F(SplitwordWindowRun, MissingInputIsReportedAndEnds) {
    folder.write("Debug.txt", "old debug");
    folder.write("out.txt", "old out");
    form.ThresholdLength->setText(" 4x");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(53));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(form.ThresholdLength->text(), "4");
    EXPECT_EQ(form.Command1->text(), "Reading input file ...");
    EXPECT_EQ(folder.read("Debug.txt"), "old debug");
    EXPECT_EQ(folder.read("out.txt"), "old out");
}

// 300,000 ab and 300,000 abab: 9 * 10^10 lines, more than a terabyte. Whether the disk cannot
// hold it or the question is answered Cancel, nothing is written and the button says Go again;
// the next click is a new run.
TEST_F(SplitwordWindowRun, AnOutputTooLargeLeadsBackToGo) {
    std::string list;
    for (int k = 0; k < 300000; ++k) list += "ab\n";
    for (int k = 0; k < 300000; ++k) list += "abab\n";
    folder.write("in.txt", list);
    platform.answers = {rt::Answer::Cancel};
    form.ThresholdLength->setText(" 2x");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    const std::string& box = platform.boxes[0].text;
    EXPECT_TRUE(
        box.starts_with("This run would write 90,000,000,001 lines (1,005.8 GiB) to out.txt") ||
        box.starts_with("This run will write 90,000,000,001 lines (1,005.8 GiB) to out.txt"))
        << box;
    EXPECT_EQ(form.Command1->text(), "Go");
    EXPECT_EQ(form.ThresholdLength->text(), "2");
    EXPECT_FALSE(folder.exists("Debug.txt"));
    EXPECT_FALSE(folder.exists("out.txt"));
    EXPECT_FALSE(platform.ended());

    folder.write("in.txt", "black\nbird\nblackbird\n");
    form.Command1_Click();
    EXPECT_FALSE(platform.ended());
    EXPECT_EQ(folder.read("out.txt"), kHeader + "blackbird\tblack\tbird\r\n");
    // Progress may show while the search's first lines are held, before the size is known.
    std::erase_if(captions,
                  [](const std::string& caption) { return caption.starts_with("Working on #"); });
    EXPECT_EQ(captions, (std::vector<std::string>{"Reading input file ...", "Go",
                                                  "Reading input file ...", texts::kDoneCaption}));
}

TEST_F(SplitwordWindowRun, ThresholdTooLargeIsReportedBeforeAnyFile) {
    folder.write("in.txt", "ab\n");
    form.ThresholdLength->setText("1e999");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(6));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_FALSE(folder.exists("Debug.txt"));
    EXPECT_FALSE(folder.exists("out.txt"));
    EXPECT_EQ(form.Command1->text(), "Go");
}

}  // namespace
