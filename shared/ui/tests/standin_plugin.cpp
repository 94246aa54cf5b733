// A stand-in for a plugin planted in a folder of data: loading it writes its name to the file
// that STANDIN_MARKER names. It claims the keys of its metadata and serves none of them.
#include <QObject>
#include <cstdio>
#include <cstdlib>

namespace {

[[gnu::constructor]] void MarkLoaded() {
    if (const char* marker = std::getenv("STANDIN_MARKER")) {
        if (std::FILE* f = std::fopen(marker, "a")) {
            std::fputs("loaded\n", f);
            std::fclose(f);
        }
    }
}

}  // namespace

class StandIn : public QObject {
    Q_OBJECT
#ifdef STANDIN_IMAGE_FORMAT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QImageIOHandlerFactoryInterface" FILE
                          "standin_image.json")
#else
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "standin_platform.json")
#endif
};

#include "standin_plugin.moc"
