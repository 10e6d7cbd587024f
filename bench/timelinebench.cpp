// Frame cost of the time axis.
//
// Renders the real Timeline (canvas, segment and cells) offscreen into an
// image, many frames per case, for a sweep of scales at a few view sizes, and
// sets two yardsticks beside every case, measured in the same run: the
// reference (every cell drawn with its own painter, font and laid-out label)
// and the floor (the five row backgrounds alone). Optionally it also measures
// how peak memory moves over many frames and how long the main window takes
// from construction to its first paint.

#include "referencerenderer.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlsegment.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMainWindow>
#include <QProcess>
#include <QTextStream>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// A fixed local date-time, so that runs are repeatable.
const QDateTime WindowStart(QDate(2026, 3, 25), QTime(10, 30));

constexpr int SweepScales = 64;
// Pixels the view moves per frame of a drag.
constexpr int DragStep = 3;
constexpr double MinScale = 100;
constexpr double MaxScale = 20000000;
constexpr double BudgetFrameMs = 2.0;
constexpr double BudgetReferenceShare = 0.2;
// A zoom step: the first frames over the sweep against the reference's, and
// each on the widest strip.
constexpr double BudgetSweepShare = 1.0 / 3;
constexpr double BudgetFirstFrameMs = 8.0;
// A drag frame against the floor of the same scale.
constexpr double BudgetDragFloors = 2.0;

struct NamedScale
{
    const char *name;
    quint32 scale;
};
const NamedScale FixedScales[] = {
        {"preset hour", 1340},    {"preset day", 4100},     {"preset week", 56000},
        {"preset month", 840000}, {"preset year", 3700000}, {"start", Timeline::StartScale},
};

struct ViewSize
{
    int width;
    int height;
    qreal ratio; // device pixels per pixel
    bool frameBudget; // every frame must stay within BudgetFrameMs
    bool firstFrameBudget; // so must the first frame at a new scale
};
// The axis strip at the window's opening size, on a 4K screen at ratio 2
// and as wide as it gets at ratio 1, each at the common pixel ratios; a whole
// 4K screen and a wall of them.
const ViewSize Sizes[] = {
        {757, 84, 1, true, false},     {1875, 84, 1, true, false},   {3750, 84, 1, true, true},
        {757, 84, 1.5, true, false},   {1875, 84, 1.5, true, false}, {3750, 84, 1.5, true, true},
        {757, 84, 2, true, false},     {1875, 84, 2, true, false},   {3750, 84, 2, true, true},
        {3840, 2160, 1, false, false}, {12000, 84, 1, false, false},
};

QString viewName(int width, int height, qreal ratio)
{
    return QStringLiteral("%1x%2@%3").arg(width).arg(height).arg(ratio);
}

struct Case
{
    QString name;
    int width = 0;
    int height = 0;
    qreal ratio = 1;
    quint32 scale = 0;
    qint64 cells = 0;
    qint64 referenceCells = 0;
    double ms = 0;
    double referenceMs = 0;
    double floorMs = 0;
    // The product's first frame at this scale, right after the one before:
    // what a zoom step costs, before anything of the new scale is known.
    double firstMs = 0;
    // The product's median frame while the view is dragged by a few pixels
    // per frame.
    double dragMs = 0;
    // The product's median processor time per frame (of the frames of ms).
    double cpuMs = 0;
};

// The report goes to standard error when standard output carries the JSON.
bool reportToStderr = false;

QTextStream &out()
{
    static QTextStream toStdout(stdout);
    static QTextStream toStderr(stderr);
    return reportToStderr ? toStderr : toStdout;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Options
{
    bool smoke = false;
    int frames = 15;
    int passes = 3;
    // Empty: all of them.
    QList<QSize> sizes;
    QList<qreal> ratios;
    QList<quint32> scales;
    bool reference = true;
    bool floor = true;
};

// The scales of one size: the logarithmic sweep, then the presets and the
// start scale. A smoke run takes the two ends, a middle one and the start.
std::vector<std::pair<QString, quint32>> scalesToRun(const Options &options)
{
    std::vector<std::pair<QString, quint32>> scales;
    if (!options.scales.isEmpty()) {
        for (quint32 scale : options.scales)
            scales.emplace_back(QStringLiteral("chosen"), scale);
        return scales;
    }
    if (options.smoke) {
        for (quint32 scale : {quint32(MinScale), quint32(56000), quint32(MaxScale)})
            scales.emplace_back(QStringLiteral("sweep"), scale);
        scales.emplace_back(QStringLiteral("start"), Timeline::StartScale);
        return scales;
    }
    for (int i = 0; i < SweepScales; ++i) {
        const double exponent =
                std::log10(MinScale)
                + (std::log10(MaxScale) - std::log10(MinScale)) * i / (SweepScales - 1);
        scales.emplace_back(QStringLiteral("sweep"), quint32(std::lround(std::pow(10, exponent))));
    }
    for (const NamedScale &fixed : FixedScales)
        scales.emplace_back(QString::fromLatin1(fixed.name), fixed.scale);
    return scales;
}

std::vector<ViewSize> sizesToRun(const Options &options)
{
    std::vector<ViewSize> sizes;
    const auto wanted = [&](const ViewSize &size) {
        return (options.sizes.isEmpty() || options.sizes.contains(QSize(size.width, size.height)))
               && (options.ratios.isEmpty() || options.ratios.contains(size.ratio));
    };
    std::copy_if(std::begin(Sizes), std::end(Sizes), std::back_inserter(sizes), wanted);
    for (const QSize &size : options.sizes) {
        for (const qreal ratio : options.ratios.isEmpty() ? QList<qreal>{1} : options.ratios) {
            const bool known =
                    std::any_of(std::begin(Sizes), std::end(Sizes), [&](const ViewSize &v) {
                        return QSize(v.width, v.height) == size && v.ratio == ratio;
                    });
            if (!known)
                sizes.push_back({size.width(), size.height(), ratio, false, false});
        }
    }
    return sizes;
}

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts.at(0).toInt(), parts.at(1).toInt()) : QSize();
}

// Processor time the process has used, in milliseconds (all its threads).
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// One Timeline of the given size, rendered by the product, the reference or
// the floor.
class Stage
{
public:
    Stage(int width, int height, qreal ratio)
        : image((QSizeF(width, height) * ratio).toSize(), QImage::Format_RGB32)
    {
        image.setDevicePixelRatio(ratio);
        timeline.resize(width, height);
    }

    void setScale(quint32 scale)
    {
        timeline.zoomTo(int(scale));
        timeline.setWindowStart(WindowStart);
    }

    // Renders the given number of frames after one that is not counted (it
    // fills whatever the painting caches; its time goes to first) and adds
    // the milliseconds of each to times, and the processor time of each to
    // cpu: unlike the time on the clock that does not grow when other
    // programs share the processors.
    void measure(ReferenceRenderer *renderer, int frames, std::vector<double> *times,
                 double *first = nullptr, std::vector<double> *cpu = nullptr)
    {
        if (renderer)
            renderer->attach(&timeline);
        QElapsedTimer firstTimer;
        firstTimer.start();
        timeline.render(&image);
        if (first)
            *first = double(firstTimer.nsecsElapsed()) / 1e6;
        for (int i = 0; i < frames; ++i) {
            const double cpuBefore = processCpuMs();
            QElapsedTimer timer;
            timer.start();
            timeline.render(&image);
            times->push_back(double(timer.nsecsElapsed()) / 1e6);
            if (cpu)
                cpu->push_back(processCpuMs() - cpuBefore);
        }
        if (renderer)
            renderer->detach();
    }

    // Adds the milliseconds of each of the given number of frames while the
    // view is dragged to the left by DragStep pixels per frame; the window
    // start is put back afterwards.
    void measureDrag(int frames, std::vector<double> *times)
    {
        for (int i = 0; i < frames; ++i) {
            timeline.canvasDraggedSlot(QPoint(DragStep, 0), QPoint(0, 0));
            QElapsedTimer timer;
            timer.start();
            timeline.render(&image);
            times->push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        timeline.setWindowStart(WindowStart);
    }

    void renderFrames(qint64 frames)
    {
        for (qint64 i = 0; i < frames; ++i)
            timeline.render(&image);
    }

    qint64 cellsDrawn() const { return timeline.timeSegment().cellsDrawn(); }
    const TLSegment &segment() const { return timeline.timeSegment(); }

private:
    Timeline timeline;
    QImage image;
};

QString formatMs(double ms)
{
    return QString::number(ms, 'f', ms < 10 ? 3 : 1);
}

void printCaseHeader()
{
    out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12\n")
                     .arg(QStringLiteral("view"), -15)
                     .arg(QStringLiteral("case"), -12)
                     .arg(QStringLiteral("scale"), 9)
                     .arg(QStringLiteral("cells"), 6)
                     .arg(QStringLiteral("ms"), 8)
                     .arg(QStringLiteral("cpu ms"), 8)
                     .arg(QStringLiteral("first ms"), 8)
                     .arg(QStringLiteral("drag ms"), 8)
                     .arg(QStringLiteral("ref ms"), 8)
                     .arg(QStringLiteral("floor ms"), 8)
                     .arg(QStringLiteral("ref/ms"), 7)
                     .arg(QStringLiteral("ms/floor"), 8);
}

void printCase(const Case &c)
{
    out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12\n")
                     .arg(viewName(c.width, c.height, c.ratio), -15)
                     .arg(c.name, -12)
                     .arg(c.scale, 9)
                     .arg(c.cells, 6)
                     .arg(formatMs(c.ms), 8)
                     .arg(formatMs(c.cpuMs), 8)
                     .arg(formatMs(c.firstMs), 8)
                     .arg(formatMs(c.dragMs), 8)
                     .arg(formatMs(c.referenceMs), 8)
                     .arg(formatMs(c.floorMs), 8)
                     .arg(QString::number(c.referenceMs / c.ms, 'f', 1), 7)
                     .arg(QString::number(c.ms / c.floorMs, 'f', 1), 8);
    out().flush();
}

// The frames of one case, from all passes.
struct Samples
{
    std::vector<double> product;
    std::vector<double> cpu;
    std::vector<double> drag;
    std::vector<double> reference;
    std::vector<double> floor;
};

bool isOf(const Case &c, const ViewSize &size)
{
    return c.width == size.width && c.height == size.height && c.ratio == size.ratio;
}

std::vector<Case> runSize(const ViewSize &size, const Options &options)
{
    const auto scales = scalesToRun(options);
    // Qt keeps the glyphs of every font size it has drawn, for the whole
    // process: whoever draws a size first pays for making them. A stage of
    // its own draws every scale once beforehand, so that neither the product
    // nor the reference pays for them in any case; the product's own label
    // layouts, cells and tiles start empty all the same.
    {
        Stage warmUp(size.width, size.height, size.ratio);
        std::vector<double> ignored;
        for (const auto &scale : scales) {
            warmUp.setScale(scale.second);
            warmUp.measure(nullptr, 1, &ignored);
        }
    }
    // The measured stage opens at the start scale, as the program does, so
    // that the first case is a zoom step like any other.
    Stage stage(size.width, size.height, size.ratio);
    {
        std::vector<double> ignored;
        stage.setScale(Timeline::StartScale);
        stage.measure(nullptr, 1, &ignored);
    }
    ReferenceRenderer reference(ReferenceRenderer::Mode::AllCells);
    ReferenceRenderer floor(ReferenceRenderer::Mode::BackgroundsOnly);
    std::vector<Case> cases(scales.size());
    std::vector<Samples> samples(scales.size());
    // The frames of each case are taken in a few passes over the whole
    // sweep, so that a spell in which the machine runs slower (other work on
    // the same processors, a lower clock) spreads over many cases instead of
    // deciding one.
    const int passes = std::min(options.passes, options.frames);
    for (int pass = 0; pass < passes; ++pass) {
        const int frames = options.frames / passes + (pass < options.frames % passes ? 1 : 0);
        for (size_t i = 0; i < scales.size(); ++i) {
            Case &c = cases[i];
            Samples &s = samples[i];
            stage.setScale(scales[i].second);
            stage.measure(nullptr, frames, &s.product, pass == 0 ? &c.firstMs : nullptr, &s.cpu);
            c.cells = stage.cellsDrawn();
            // One drag gesture of all the frames, as the user makes it: its
            // first frames make the tiles that come into view.
            if (pass == 0)
                stage.measureDrag(options.frames, &s.drag);
            c.referenceCells = c.cells;
            if (options.reference) {
                stage.measure(&reference, frames, &s.reference);
                c.referenceCells = reference.cellsDrawn();
            }
            if (options.floor)
                stage.measure(&floor, frames, &s.floor);
        }
    }
    for (size_t i = 0; i < scales.size(); ++i) {
        Case &c = cases[i];
        c.name = scales[i].first;
        c.width = size.width;
        c.height = size.height;
        c.ratio = size.ratio;
        c.scale = scales[i].second;
        c.ms = median(samples[i].product);
        c.cpuMs = median(samples[i].cpu);
        c.dragMs = median(samples[i].drag);
        c.referenceMs = median(samples[i].reference);
        c.floorMs = median(samples[i].floor);
        printCase(c);
    }
    return cases;
}

// What one view size comes to over all its scales.
struct Summary
{
    const Case *worst = nullptr;
    const Case *worstFirst = nullptr;
    const Case *worstDrag = nullptr; // against the floor of its scale
    const Case *worstReference = nullptr;
    const Case *worstFloor = nullptr;
    double sweepMs = 0; // the product's first frames over the sweep
    double sweepReferenceMs = 0; // the reference's frames over the same scales
};

Summary summarize(const std::vector<Case> &cases, const ViewSize &size)
{
    Summary sum;
    const auto keep = [](const Case *&kept, const Case &c, double (*value)(const Case &)) {
        if (!kept || value(c) > value(*kept))
            kept = &c;
    };
    for (const Case &c : cases) {
        if (!isOf(c, size))
            continue;
        keep(sum.worst, c, [](const Case &k) { return k.ms; });
        keep(sum.worstFirst, c, [](const Case &k) { return k.firstMs; });
        keep(sum.worstDrag, c, [](const Case &k) { return k.dragMs / k.floorMs; });
        keep(sum.worstReference, c, [](const Case &k) { return k.referenceMs; });
        keep(sum.worstFloor, c, [](const Case &k) { return k.floorMs; });
        if (c.name == QLatin1String("sweep")) {
            sum.sweepMs += c.firstMs;
            sum.sweepReferenceMs += c.referenceMs;
        }
    }
    return sum;
}

// Per size: the worst frames of the product, the reference and the floor,
// and whether each budget holds. Returns false when one does not.
bool printSummary(const std::vector<Case> &cases, const Options &options)
{
    bool met = true;
    out() << "\nper view size (ms; the scale of each worst case in brackets)\n";
    for (const ViewSize &size : sizesToRun(options)) {
        const Summary sum = summarize(cases, size);
        if (!sum.worst)
            continue;
        const double share = sum.worst->ms / sum.worstReference->referenceMs;
        const double sweepShare = sum.sweepMs / sum.sweepReferenceMs;
        const double dragFloors = sum.worstDrag->dragMs / sum.worstDrag->floorMs;
        QStringList misses;
        if (share > BudgetReferenceShare)
            misses << QStringLiteral("steady frame over %1 of the reference")
                              .arg(BudgetReferenceShare);
        if (size.frameBudget && sum.worst->ms > BudgetFrameMs)
            misses << QStringLiteral("steady frame over %1 ms").arg(BudgetFrameMs);
        if (size.frameBudget && sweepShare > BudgetSweepShare)
            misses << QStringLiteral("zoom sweep over 1/3 of the reference");
        if (size.firstFrameBudget && sum.worstFirst->firstMs > BudgetFirstFrameMs)
            misses << QStringLiteral("first frame over %1 ms").arg(BudgetFirstFrameMs);
        if (size.frameBudget && dragFloors > BudgetDragFloors)
            misses << QStringLiteral("drag over %1 floors").arg(BudgetDragFloors);
        met = met && misses.isEmpty();
        const auto at = [](const Case *c, double ms) {
            return QStringLiteral("%1 (%2)").arg(formatMs(ms)).arg(c->scale);
        };
        out() << viewName(size.width, size.height, size.ratio) << "\n"
              << QStringLiteral("  steady frame %1, reference %2, floor %3, share %4\n")
                         .arg(at(sum.worst, sum.worst->ms),
                              at(sum.worstReference, sum.worstReference->referenceMs),
                              at(sum.worstFloor, sum.worstFloor->floorMs),
                              QString::number(share, 'f', 3))
              << QStringLiteral("  zoom: first frame %1; sweep %2 against %3, share %4\n")
                         .arg(at(sum.worstFirst, sum.worstFirst->firstMs), formatMs(sum.sweepMs),
                              formatMs(sum.sweepReferenceMs), QString::number(sweepShare, 'f', 3))
              << QStringLiteral("  drag (%1 px a frame): %2 against a floor of %3, %4 floors\n")
                         .arg(DragStep)
                         .arg(at(sum.worstDrag, sum.worstDrag->dragMs),
                              formatMs(sum.worstDrag->floorMs), QString::number(dragFloors, 'f', 2))
              << QStringLiteral("  budgets: %1\n")
                         .arg(misses.isEmpty() ? QStringLiteral("met")
                                               : QStringLiteral("NOT MET: ") + misses.join(", "));
    }
    out().flush();
    return met;
}

bool writeJson(const std::vector<Case> &cases, const QString &fileName)
{
    QJsonArray array;
    for (const Case &c : cases) {
        array.append(QJsonObject{
                {QStringLiteral("case"), c.name},
                {QStringLiteral("width"), c.width},
                {QStringLiteral("height"), c.height},
                {QStringLiteral("ratio"), c.ratio},
                {QStringLiteral("scale"), double(c.scale)},
                {QStringLiteral("cells"), double(c.cells)},
                {QStringLiteral("ms_per_frame"), c.ms},
                {QStringLiteral("reference_ms_per_frame"), c.referenceMs},
                {QStringLiteral("floor_ms_per_frame"), c.floorMs},
                {QStringLiteral("first_ms"), c.firstMs},
                {QStringLiteral("drag_ms_per_frame"), c.dragMs},
        });
    }
    const QByteArray json = QJsonDocument(array).toJson();
    if (fileName == QLatin1String("-")) {
        out().flush();
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    QFile file(fileName);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!opened || file.write(json) != json.size()) {
        std::fprintf(stderr, "timeline-bench: cannot write %s\n", qPrintable(fileName));
        return false;
    }
    return true;
}

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

// For every size: a pass over all its scales (which fills the painting caches
// as far as they go), then many frames at its worst case; reports how far the
// peak resident size rose during those frames.
void measureMemory(const std::vector<Case> &cases, const Options &options, qint64 frames)
{
    out() << QStringLiteral("\nmemory: %1 frames at the worst case of each size\n").arg(frames);
    for (const ViewSize &size : sizesToRun(options)) {
        const Case *worst = nullptr;
        for (const Case &c : cases) {
            if (isOf(c, size) && (!worst || c.ms > worst->ms))
                worst = &c;
        }
        Stage stage(size.width, size.height, size.ratio);
        for (const auto &[name, scale] : scalesToRun(Options())) {
            Q_UNUSED(name)
            stage.setScale(scale);
            stage.renderFrames(2);
        }
        const quint32 scale = worst ? worst->scale : quint32(MaxScale);
        stage.setScale(scale);
        stage.renderFrames(10);
        const bool reset = resetPeak();
        const qint64 rssBefore = statusKiB("VmRSS");
        const qint64 peakBefore = statusKiB("VmHWM");
        QElapsedTimer timer;
        timer.start();
        stage.renderFrames(frames);
        const double seconds = double(timer.elapsed()) / 1000;
        const qint64 peakAfter = statusKiB("VmHWM");
        const qint64 rssAfter = statusKiB("VmRSS");
        out() << QStringLiteral("%1x%2 scale %3: VmRSS %4 -> %5 KiB, VmHWM %6 -> %7 KiB, "
                                "peak rise %8 KiB%9 (%10 s)\n")
                         .arg(size.width)
                         .arg(size.height)
                         .arg(scale)
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

// Milliseconds from constructing the window to the end of its first paint.
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
    while (!spy.painted && timer.elapsed() < 10000)
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
    if (!child.waitForFinished(60000))
        return -1;
    bool ok = false;
    const double ms = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

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
    const auto line = [](const char *what, double app, double bare) {
        out() << QStringLiteral("%1: TimelineApp %2 ms, bare QMainWindow %3 ms, ratio %4\n")
                         .arg(QLatin1String(what))
                         .arg(formatMs(app))
                         .arg(formatMs(bare))
                         .arg(app / bare, 0, 'f', 1);
    };
    out() << QStringLiteral("\nstart-up: construction to first paint, %1x%2, median of %3\n")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(repeats);
    line("fresh process", median(coldApp), median(coldBare));
    line("same process ", median(warmApp), median(warmBare));
    out().flush();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("timeline-bench"));
    // English names whatever the machine's locale, so runs compare.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Frame cost of the time axis."));
    parser.addHelpOption();
    const QCommandLineOption framesOption(QStringLiteral("frames"),
                                          QStringLiteral("Frames per case (default 15)."),
                                          QStringLiteral("n"), QStringLiteral("15"));
    const QCommandLineOption passesOption(QStringLiteral("passes"),
                                          QStringLiteral("Passes over the sweep that share the "
                                                         "frames of each case (default 3)."),
                                          QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption smokeOption(QStringLiteral("smoke"),
                                         QStringLiteral("A few scales, one frame each."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Write the cases as JSON to file "
                                                       "(- for standard output)."),
                                        QStringLiteral("file"));
    const QCommandLineOption memoryOption(QStringLiteral("memory"),
                                          QStringLiteral("Also measure peak memory over many "
                                                         "frames at each size's worst case."));
    const QCommandLineOption memoryFramesOption(QStringLiteral("memory-frames"),
                                                QStringLiteral("Frames of the memory run "
                                                               "(default 10000)."),
                                                QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption startupOption(QStringLiteral("startup"),
                                           QStringLiteral("Also measure the main window's "
                                                          "start-up."));
    const QString internal = QStringLiteral("(internal)");
    const QCommandLineOption startupChildOption(QStringLiteral("startup-child"), internal,
                                                QStringLiteral("app|bare"));
    const QCommandLineOption startupSizeOption(QStringLiteral("startup-size"), internal,
                                               QStringLiteral("WxH"));
    const QCommandLineOption ratioOption(
            QStringLiteral("ratio"), QStringLiteral("Only this device pixel ratio (repeatable)."),
            QStringLiteral("r"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Only this view size (repeatable)."),
                                        QStringLiteral("WxH"));
    const QCommandLineOption scaleOption(QStringLiteral("scale"),
                                         QStringLiteral("Only this scale (repeatable)."),
                                         QStringLiteral("seconds-per-100px"));
    const QCommandLineOption productOnlyOption(QStringLiteral("product-only"),
                                               QStringLiteral("Skip the reference and the "
                                                              "floor (for profiling)."));
    parser.addOptions({framesOption, passesOption, smokeOption, jsonOption, memoryOption,
                       memoryFramesOption, startupOption, sizeOption, ratioOption, scaleOption,
                       productOnlyOption, startupChildOption, startupSizeOption});
    // "--json" alone means standard output.
    QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--json")
            && (i + 1 == arguments.size() || arguments.at(i + 1).startsWith(QLatin1Char('-'))))
            arguments.insert(i + 1, QStringLiteral("-"));
    }
    parser.process(arguments);

    if (parser.isSet(startupChildOption)) {
        const QSize size = parseSize(parser.value(startupSizeOption));
        const double ms = parser.value(startupChildOption) == QLatin1String("app")
                                  ? timeToFirstPaint<TimelineApp>(QSize())
                                  : timeToFirstPaint<QMainWindow>(size);
        std::printf("%.3f\n", ms);
        return ms < 0 ? 1 : 0;
    }

    Options options;
    options.smoke = parser.isSet(smokeOption);
    options.frames = options.smoke ? 1 : qMax(1, parser.value(framesOption).toInt());
    options.passes = qMax(1, parser.value(passesOption).toInt());
    for (const QString &text : parser.values(sizeOption)) {
        const QSize size = parseSize(text);
        if (size.isEmpty()) {
            std::fprintf(stderr, "timeline-bench: bad size %s\n", qPrintable(text));
            return 2;
        }
        options.sizes.append(size);
    }
    for (const QString &text : parser.values(ratioOption)) {
        const qreal ratio = text.toDouble();
        if (ratio <= 0 || ratio > 4) {
            std::fprintf(stderr, "timeline-bench: bad ratio %s\n", qPrintable(text));
            return 2;
        }
        options.ratios.append(ratio);
    }
    for (const QString &text : parser.values(scaleOption)) {
        const uint scale = text.toUInt();
        if (scale < Timeline::MinScale || scale > Timeline::MaxScale) {
            std::fprintf(stderr, "timeline-bench: bad scale %s\n", qPrintable(text));
            return 2;
        }
        options.scales.append(scale);
    }
    options.reference = options.floor = !parser.isSet(productOnlyOption);
    reportToStderr = parser.isSet(jsonOption) && parser.value(jsonOption) == QLatin1String("-");

    QElapsedTimer total;
    total.start();
    out() << QStringLiteral("timeline-bench: %1 frames per case, window start %2 (%3), "
                            "QT_QPA_PLATFORM=%4\n")
                     .arg(options.frames)
                     .arg(WindowStart.toString(Qt::ISODate),
                          QString::fromUtf8(QTimeZone::systemTimeZoneId()),
                          QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM")));
    printCaseHeader();
    std::vector<Case> cases;
    bool consistent = true;
    for (const ViewSize &size : sizesToRun(options)) {
        for (const Case &c : runSize(size, options)) {
            // The product and the reference walk the same cells.
            if (c.cells <= 0 || c.cells != c.referenceCells)
                consistent = false;
            cases.push_back(c);
        }
    }
    if (options.reference)
        printSummary(cases, options);

    if (parser.isSet(memoryOption)) {
        const qint64 frames = parser.value(memoryFramesOption).toLongLong();
        measureMemory(cases, options, options.smoke ? 10 : qMax<qint64>(1, frames));
    }
    if (parser.isSet(startupOption))
        measureStartup(options.smoke ? 1 : 9);
    out() << QStringLiteral("\ntotal %1 s\n").arg(double(total.elapsed()) / 1000, 0, 'f', 1);
    out().flush();

    bool ok = consistent;
    if (!consistent)
        std::fprintf(stderr, "timeline-bench: product and reference disagree on the cells\n");
    if (parser.isSet(jsonOption))
        ok = writeJson(cases, parser.value(jsonOption)) && ok;
    return ok ? 0 : 1;
}
