#include "benchstage.h"

#include "referencerenderer.h"

#include <QElapsedTimer>

#include <ctime>

namespace {

constexpr double NsecsPerMs = 1e6;

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / NsecsPerMs;
}

// Processor time the process has used, in milliseconds (all its threads).
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / NsecsPerMs;
}

} // namespace

BenchStage::BenchStage(const bench::ViewSize &size)
    : image((QSizeF(size.width, size.height) * size.ratio).toSize(), QImage::Format_RGB32)
{
    image.setDevicePixelRatio(size.ratio);
    timeline.resize(size.width, size.height);
}

void BenchStage::setScale(quint32 scale)
{
    timeline.zoomTo(int(scale));
    timeline.setWindowStart(bench::windowStart());
}

void BenchStage::measure(ReferenceRenderer *renderer, int frames, std::vector<double> *times,
                         double *first, std::vector<double> *cpu)
{
    if (renderer)
        renderer->attach(&timeline);
    QElapsedTimer firstTimer;
    firstTimer.start();
    timeline.render(&image);
    if (first)
        *first = elapsedMs(firstTimer);
    for (int i = 0; i < frames; ++i) {
        const double cpuBefore = processCpuMs();
        QElapsedTimer timer;
        timer.start();
        timeline.render(&image);
        times->push_back(elapsedMs(timer));
        if (cpu)
            cpu->push_back(processCpuMs() - cpuBefore);
    }
    if (renderer)
        renderer->detach();
}

void BenchStage::measureDrag(int frames, std::vector<double> *times)
{
    for (int i = 0; i < frames; ++i) {
        timeline.canvasDraggedSlot(QPoint(DragStep, 0), QPoint(0, 0));
        QElapsedTimer timer;
        timer.start();
        timeline.render(&image);
        times->push_back(elapsedMs(timer));
    }
    timeline.setWindowStart(bench::windowStart());
}

void BenchStage::renderFrames(qint64 frames)
{
    for (qint64 i = 0; i < frames; ++i)
        timeline.render(&image);
}
