#include "timelineapp.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display the toolkit aborts with a long message; say in one line
// what is missing and how to run the program anyway.
bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto isSet = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "timeline: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "run it in a virtual X server with: xvfb-run -a %s\n",
                     argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    // Lets the desktop match the window to its entry and icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.timeline.Timeline"));
    TimelineApp window;
    window.show();
    return app.exec();
}
