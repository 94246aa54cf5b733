// A program copied into a folder of data takes no plugin and no qt.conf from that folder. This
// test's executable lies in a folder laid out as an attacker would (CONFINEMENT_LAYOUT says how):
// a stand-in image-format plugin claiming "png" in imageformats/, or a qt.conf that moves the
// plugins to plugins/ beside a stand-in platform plugin. Each run is a child process, so that
// every one starts Qt afresh.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>

#include "temp_folder.h"
#include "ui/application.h"

// Linking the programs' Qt start-up registers their compiled-in qt.conf; plain Qt has none.
static void WithoutCompiledInQtConf() {
    Q_CLEANUP_RESOURCE(qtconf);
}

namespace {

namespace fs = std::filesystem;

// Starts Qt as a program does (confined or plainly), reads a PNG image, and tells whether any
// stand-in was loaded. The child's exit status is 0 when Qt worked and read the image.
template <class App>
bool StandInLoaded(const testing_support::TempFolder& scratch, bool* worked) {
    const fs::path marker = scratch / "marker";
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("STANDIN_MARKER", marker.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if constexpr (std::is_same_v<App, QApplication>) WithoutCompiledInQtConf();
        int argc = 1;
        char name[] = "Binning";
        char* argv[] = {name, nullptr};
        App app(argc, argv);
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(Qt::red);
        QBuffer png;
        png.open(QBuffer::ReadWrite);
        pixel.save(&png, "PNG");
        png.seek(0);
        QImageReader reader(&png, "png");
        const bool read = !reader.read().isNull();
        const bool folderListed =
            QCoreApplication::libraryPaths().contains(QCoreApplication::applicationDirPath());
        std::_Exit(read && !folderListed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    *worked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return fs::exists(marker);
}

TEST(Confinement, NoPluginOrConfigurationComesFromTheProgramFolder) {
    testing_support::TempFolder scratch;
    bool worked = false;
    // The stand-in is effective: plain Qt loads it.
    EXPECT_TRUE(StandInLoaded<QApplication>(scratch, &worked)) << CONFINEMENT_LAYOUT;
    fs::remove(scratch / "marker");
    EXPECT_FALSE(StandInLoaded<ui::Application>(scratch, &worked)) << CONFINEMENT_LAYOUT;
    EXPECT_TRUE(worked) << "the confined program could not start Qt or read a PNG";
}

}  // namespace
