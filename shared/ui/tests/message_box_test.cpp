#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "ui/qt_platform.h"

namespace {

// A window manager puts buttons beside the title; a box only as wide as its text cut the title.
TEST(MessageBox, IsAtLeastAsWideAsItsTitleNeeds) {
    const struct {
        const char* applicationTitle;
        const char* ownTitle;
    } cases[] = {{"Chainmaker", ""},
                 {"Splitword", ""},
                 {"Binning", "Binning"},
                 {"Splitword", "A title much longer than the text of the box"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.applicationTitle) + " " + c.ownTitle);
        ui::QtPlatform platform(c.applicationTitle);
        QString shownTitle;
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shownTitle = box->windowTitle();
            width = box->width();
            box->accept();
        });
        platform.messageBox("Done.", rt::Buttons::Ok, c.ownTitle);
        ASSERT_FALSE(shownTitle.isEmpty());
        EXPECT_GE(width, ui::TitleWidth(shownTitle));
    }
}

}  // namespace
