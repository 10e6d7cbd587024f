// Frame cost of the time axis: renders the real Timeline offscreen for a
// sweep of scales at a few view sizes, beside two yardsticks measured in the
// same run, and checks the frames against their budgets; optionally also
// peak memory over many frames and the main window's start-up.
//
// Exit status: 0 when all went well; 1 when the product and the reference
// disagree on the cells or the JSON cannot be written; 2 for a bad option;
// 3 when a full run misses a budget. A smoke run checks no budget.

#include "benchplan.h"
#include "benchreport.h"
#include "budgetsummary.h"
#include "framecost.h"
#include "memoryprobe.h"
#include "startuptimer.h"
#include "timeline.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimeZone>

#include <cstdio>
#include <optional>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitBadOption = 2;
constexpr int ExitBudgetMissed = 3;
constexpr qreal MaxRatio = 4;
constexpr int StartupRepeats = 9;
constexpr qint64 MemoryFrames = 10000;
constexpr qint64 SmokeMemoryFrames = 10;

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts.at(0).toInt(), parts.at(1).toInt()) : QSize();
}

void addOptions(QCommandLineParser &parser)
{
    const auto option = [&](const char *name, const char *help, const char *valueName = nullptr) {
        parser.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(help),
                                            QLatin1String(valueName)));
    };
    parser.setApplicationDescription(
            QStringLiteral("Frame cost of the time axis. Exits with 3 when a full run misses "
                           "a budget, 1 when the run fails, 2 for a bad option."));
    parser.addHelpOption();
    option("frames", "Frames per case (default 15).", "n");
    option("passes", "Passes over the sweep that share the frames of each case (default 3).", "n");
    option("smoke", "A few scales, one frame each; no budget is checked.");
    option("json", "Write the cases as JSON to file (- or nothing for standard output).", "file");
    option("memory", "Also measure peak memory over many frames at each size's worst case.");
    option("memory-frames", "Frames of the memory run (default 10000).", "n");
    option("startup", "Also measure the main window's start-up.");
    option("size", "Only this view size (repeatable).", "WxH");
    option("ratio", "Only this device pixel ratio (repeatable).", "r");
    option("scale", "Only this scale (repeatable).", "seconds-per-100px");
    option("product-only", "Skip the reference and the floor, and the budgets (for profiling).");
    option("startup-child", "(internal)", "app|bare");
    option("startup-size", "(internal)", "WxH");
}

// The options of the frame cost, or nothing (and a message) when one is bad.
std::optional<bench::Options> readOptions(const QCommandLineParser &parser)
{
    bench::Options options;
    const auto bad = [](const char *what, const QString &text) {
        std::fprintf(stderr, "timeline-bench: bad %s %s\n", what, qPrintable(text));
        return std::nullopt;
    };
    options.smoke = parser.isSet(QStringLiteral("smoke"));
    if (parser.isSet(QStringLiteral("frames")))
        options.frames = qMax(1, parser.value(QStringLiteral("frames")).toInt());
    if (options.smoke)
        options.frames = 1;
    if (parser.isSet(QStringLiteral("passes")))
        options.passes = qMax(1, parser.value(QStringLiteral("passes")).toInt());
    for (const QString &text : parser.values(QStringLiteral("size"))) {
        const QSize size = parseSize(text);
        if (size.isEmpty())
            return bad("size", text);
        options.sizes.append(size);
    }
    for (const QString &text : parser.values(QStringLiteral("ratio"))) {
        const qreal ratio = text.toDouble();
        if (ratio <= 0 || ratio > MaxRatio)
            return bad("ratio", text);
        options.ratios.append(ratio);
    }
    for (const QString &text : parser.values(QStringLiteral("scale"))) {
        const uint scale = text.toUInt();
        if (scale < Timeline::MinScale || scale > Timeline::MaxScale)
            return bad("scale", text);
        options.scales.append(scale);
    }
    options.yardsticks = !parser.isSet(QStringLiteral("product-only"));
    return options;
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
    addOptions(parser);
    // "--json" alone means standard output.
    QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--json")
            && (i + 1 == arguments.size() || arguments.at(i + 1).startsWith(QLatin1Char('-'))))
            arguments.insert(i + 1, QStringLiteral("-"));
    }
    parser.process(arguments);

    if (parser.isSet(QStringLiteral("startup-child")))
        return bench::runStartupChild(parser.value(QStringLiteral("startup-child")),
                                      parseSize(parser.value(QStringLiteral("startup-size"))));
    const std::optional<bench::Options> read = readOptions(parser);
    if (!read)
        return ExitBadOption;
    const bench::Options &options = *read;
    const QString json = parser.value(QStringLiteral("json"));
    if (json == QLatin1String("-"))
        bench::reportToStderr();

    QElapsedTimer total;
    total.start();
    bench::out() << QStringLiteral("timeline-bench: %1 frames per case, window start %2 (%3), "
                                   "QT_QPA_PLATFORM=%4\n")
                            .arg(options.frames)
                            .arg(bench::windowStart().toString(Qt::ISODate),
                                 QString::fromUtf8(QTimeZone::systemTimeZoneId()),
                                 QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM")));
    bench::printCaseHeader();
    std::vector<bench::SizeCases> sizes;
    bool consistent = true;
    for (const bench::ViewSize &size : bench::sizesToRun(options)) {
        sizes.push_back(bench::measureFrameCost(size, options));
        // The product and the reference walk the same cells.
        for (const bench::Case &c : sizes.back())
            consistent = consistent && c.cells > 0 && c.cells == c.referenceCells;
    }
    // The budgets are shares of the yardsticks; a smoke run's single frames
    // would judge nothing.
    const bool checkBudgets = options.yardsticks && !options.smoke;
    const int missing = options.yardsticks ? bench::printSummary(sizes, checkBudgets) : 0;
    if (parser.isSet(QStringLiteral("memory"))) {
        const QString frames = parser.value(QStringLiteral("memory-frames"));
        bench::measureMemory(sizes, options.smoke      ? SmokeMemoryFrames
                                    : frames.isEmpty() ? MemoryFrames
                                                       : qMax<qint64>(1, frames.toLongLong()));
    }
    if (parser.isSet(QStringLiteral("startup")))
        bench::measureStartup(options.smoke ? 1 : StartupRepeats);
    bench::out() << QStringLiteral("\ntotal %1 s\n").arg(double(total.elapsed()) / 1000, 0, 'f', 1);
    bench::out().flush();

    bool ok = consistent;
    if (!consistent)
        std::fprintf(stderr, "timeline-bench: product and reference disagree on the cells\n");
    if (parser.isSet(QStringLiteral("json")))
        ok = bench::writeJson(sizes, json) && ok;
    if (!ok)
        return ExitFailed;
    if (missing > 0) {
        std::fprintf(stderr, "timeline-bench: budgets missed at %d view size(s)\n", missing);
        return ExitBudgetMissed;
    }
    return ExitOk;
}
