#include "startuptimer.h"

#include "benchreport.h"
#include "timelineapp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>

#include <cstdio>
#include <vector>

namespace bench {

namespace {

// How long a window may take to paint, and a child to finish, in ms.
constexpr int PaintTimeoutMs = 10000;
constexpr int ChildTimeoutMs = 60000;

// Milliseconds from constructing the window to the end of its first paint,
// or -1 when it does not paint.
template <typename Window> double timeToFirstPaint(QSize size)
{
    class PaintSpy : public QObject
    {
    public:
        bool painted = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted = true;
            return false;
        }
    };
    PaintSpy spy;
    QElapsedTimer timer;
    timer.start();
    Window window;
    if (size.isValid())
        window.resize(size);
    window.installEventFilter(&spy);
    window.show();
    // The whole tree is painted in the same pass as the window itself.
    while (!spy.painted && timer.elapsed() < PaintTimeoutMs)
        QCoreApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    window.removeEventFilter(&spy);
    return spy.painted ? ms : -1;
}

// Start-up in a fresh process, as a user gets it: the child prints its time.
double childStartup(const QString &which, QSize size)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--startup-child"), which, QStringLiteral("--startup-size"),
                 QStringLiteral("%1x%2").arg(size.width()).arg(size.height())});
    if (!child.waitForFinished(ChildTimeoutMs))
        return -1;
    bool ok = false;
    const double ms = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

void printLine(const char *what, double app, double bare)
{
    out() << QStringLiteral("%1: TimelineApp %2 ms, bare QMainWindow %3 ms, ratio %4\n")
                     .arg(QLatin1String(what))
                     .arg(formatMs(app))
                     .arg(formatMs(bare))
                     .arg(app / bare, 0, 'f', 1);
}

} // namespace

void measureStartup(int repeats)
{
    QSize size;
    {
        TimelineApp probe;
        size = probe.size();
    }
    std::vector<double> coldApp, coldBare, warmApp, warmBare;
    for (int i = 0; i < repeats; ++i) {
        coldApp.push_back(childStartup(QStringLiteral("app"), size));
        coldBare.push_back(childStartup(QStringLiteral("bare"), size));
    }
    timeToFirstPaint<TimelineApp>(QSize());
    timeToFirstPaint<QMainWindow>(size);
    for (int i = 0; i < repeats; ++i) {
        warmApp.push_back(timeToFirstPaint<TimelineApp>(QSize()));
        warmBare.push_back(timeToFirstPaint<QMainWindow>(size));
    }
    out() << QStringLiteral("\nstart-up: construction to first paint, %1x%2, median of %3\n")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(repeats);
    printLine("fresh process", median(coldApp), median(coldBare));
    printLine("same process ", median(warmApp), median(warmBare));
    out().flush();
}

int runStartupChild(const QString &which, QSize size)
{
    const double ms = which == QLatin1String("app") ? timeToFirstPaint<TimelineApp>(QSize())
                                                    : timeToFirstPaint<QMainWindow>(size);
    std::printf("%.3f\n", ms);
    return ms < 0 ? 1 : 0;
}

} // namespace bench
