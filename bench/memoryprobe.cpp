#include "memoryprobe.h"

#include "benchreport.h"
#include "benchstage.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>

namespace bench {

namespace {

// Frames at each scale of the pass that fills the caches, and at the worst
// case before the peak is reset.
constexpr int FillFrames = 2;
constexpr int SettleFrames = 10;

// A field of /proc/self/status in KiB (VmHWM, VmRSS), or -1.
qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Resets VmHWM to the current resident size (Linux 4.0 and later).
bool resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace

void measureMemory(const std::vector<SizeCases> &sizes, qint64 frames)
{
    out() << QStringLiteral("\nmemory: %1 frames at the worst case of each size\n").arg(frames);
    for (const SizeCases &cases : sizes) {
        if (cases.empty())
            continue;
        const Case &worst =
                *std::max_element(cases.begin(), cases.end(),
                                  [](const Case &a, const Case &b) { return a.ms < b.ms; });
        BenchStage stage(worst.view);
        for (const NamedScale &scale : scalesToRun(Options())) {
            stage.setScale(scale.second);
            stage.renderFrames(FillFrames);
        }
        stage.setScale(worst.scale);
        stage.renderFrames(SettleFrames);
        const bool reset = resetPeak();
        const qint64 rssBefore = statusKiB("VmRSS");
        const qint64 peakBefore = statusKiB("VmHWM");
        QElapsedTimer timer;
        timer.start();
        stage.renderFrames(frames);
        const double seconds = double(timer.elapsed()) / 1000;
        const qint64 peakAfter = statusKiB("VmHWM");
        const qint64 rssAfter = statusKiB("VmRSS");
        out() << QStringLiteral("%1 scale %2: VmRSS %3 -> %4 KiB, VmHWM %5 -> %6 KiB, "
                                "peak rise %7 KiB%8 (%9 s)\n")
                         .arg(viewName(worst.view))
                         .arg(worst.scale)
                         .arg(rssBefore)
                         .arg(rssAfter)
                         .arg(peakBefore)
                         .arg(peakAfter)
                         .arg(peakAfter - peakBefore)
                         .arg(reset ? QString() : QStringLiteral(" (peak not reset)"))
                         .arg(seconds, 0, 'f', 1)
              << QStringLiteral("  bounded caches then: %1 laid-out labels, %2 tiles of %3 KiB "
                                "in all\n")
                         .arg(stage.segment().labelsKept())
                         .arg(stage.segment().tilesKept())
                         .arg(stage.segment().tileBytes() / 1024);
        out().flush();
    }
}

} // namespace bench
