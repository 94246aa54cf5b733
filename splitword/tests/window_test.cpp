// The window as the Qt builder makes it, under the offscreen platform: its controls and places,
// the font, accessibility, the keyboard, and the threshold read in the desktop's language. What
// its clicks do is tested over a scripted view (form_test.cpp).
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
#include "splitword_form.h"
#include "temp_folder.h"
#include "text_fit.h"
#include "ui/caption_button.h"
#include "ui/qt_form.h"
#include "ui/twips.h"

namespace {

using testing_support::CurrentFolder;
using testing_support::ScriptedPlatform;
using testing_support::TempFolder;
using testing_support::UnhandledReport;
namespace texts = testing_support::splitword_texts;

// The window as the program makes it: built from its declaration, its click connected.
struct SplitwordWindow : ui::QtForm {
    explicit SplitwordWindow(rt::Platform& platform)
        : ui::QtForm(SplitwordForm::Declaration()), form(*this, platform) {
        connectHandlers(form.handlers());
    }
    void Command1_Click() { form.Command1_Click(); }

    SplitwordForm form;
    QLabel* Label1 = control<QLabel>("Label1");
    QLabel* Label2 = control<QLabel>("Label2");
    QLabel* Label3 = control<QLabel>("Label3");
    ui::CaptionButton* Command1 = control<ui::CaptionButton>("Command1");
    QLineEdit* ThresholdLength = control<QLineEdit>("ThresholdLength");
};

// A window in an English locale, its folder of data the current folder, recording the captions
// it shows; the font tests make one window for each font.
class SplitwordWindowTest : public ::testing::Test {
  protected:
    SplitwordWindowTest() { form.setLocale(QLocale(QLocale::English, QLocale::UnitedStates)); }

    TempFolder folder;
    CurrentFolder current{folder.path()};
    ScriptedPlatform platform;
    SplitwordWindow form{platform};
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
    // One client area, as in every main window, holding the five controls.
    ASSERT_EQ(window->childCount(), 1);
    EXPECT_EQ(window->child(0)->childCount(), 5);

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

}  // namespace
