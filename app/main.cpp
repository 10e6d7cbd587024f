#include "timelineapp.h"
#include "translations.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The command line as Qt is to see it, and whether it names a platform plugin.
// Qt takes "-platform NAME" and "--platform NAME"; "-platform=NAME" (or with
// two dashes) is handed on to it in that form.
struct CommandLine
{
    std::vector<char *> args;
    bool namesPlatform = false;

    CommandLine(int argc, char **argv)
    {
        static char platformOption[] = "-platform";
        for (int i = 0; i < argc; ++i) {
            char *const arg = argv[i];
            const char *const option = std::strncmp(arg, "--", 2) == 0 ? arg + 1 : arg;
            if (i > 0 && std::strncmp(option, "-platform=", 10) == 0) {
                char *const name = arg + (option - arg) + 10;
                args.push_back(platformOption);
                args.push_back(name);
                namesPlatform = namesPlatform || *name;
                continue;
            }
            if (i > 0 && std::strcmp(option, "-platform") == 0 && i + 1 < argc)
                namesPlatform = namesPlatform || *argv[i + 1];
            args.push_back(arg);
        }
        args.push_back(nullptr);
    }
};

// Without a display the toolkit aborts with a long message; say in one line
// what is missing and how to run the program anyway.
bool hasDisplay(const CommandLine &commandLine)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto isSet = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return commandLine.namesPlatform || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")
           || isSet("QT_QPA_PLATFORM");
#else
    Q_UNUSED(commandLine);
    return true;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    CommandLine commandLine(argc, argv);
    if (!hasDisplay(commandLine)) {
        std::fprintf(stderr,
                     "timeline: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "run it in a virtual X server with: xvfb-run -a %s\n",
                     argv[0]);
        return 1;
    }
    int count = int(commandLine.args.size()) - 1;
    QApplication app(count, commandLine.args.data());
    // Lets the desktop match the window to its entry and icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.timeline.Timeline"));
    installTranslations(QLocale(), &app);
    TimelineApp window;
    window.show();
    return app.exec();
}
