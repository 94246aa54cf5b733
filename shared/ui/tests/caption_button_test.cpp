#include "ui/caption_button.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

TEST(CaptionButton, EnterAndReturnClickTheFocusedButton) {
    ui::CaptionButton button("Go");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(clicks, 3);
    QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 3);
}

TEST(CaptionButton, KeepsItsCaptionWhole) {
    const QString caption =
        "Done!  You may find your output file in the same folder as this "
        "program under the name Results.txt.  Click again to exit.";
    ui::CaptionButton button("Go");
    button.setCaptionNow(caption);
    EXPECT_EQ(button.text(), caption);
}

}  // namespace
