#include "budgetsummary.h"

#include "benchreport.h"
#include "benchstage.h"

#include <QStringList>

namespace bench {

namespace {

// At every size: the worst steady frame against the reference's worst.
constexpr double BudgetReferenceShare = 0.2;
// On the strips (ViewSize::frameBudget): the worst steady frame; the
// product's first frames over the sweep against the reference's frames at
// the same scales; the worst drag frame against the floor of its scale.
constexpr double BudgetFrameMs = 2.0;
constexpr double BudgetSweepShare = 1.0 / 3;
constexpr double BudgetDragFloors = 2.0;
// On the widest strips (ViewSize::firstFrameBudget): the worst first frame
// at a new scale.
constexpr double BudgetFirstFrameMs = 8.0;

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

    double share() const { return worst->ms / worstReference->referenceMs; }
    double sweepShare() const { return sweepMs / sweepReferenceMs; }
    double dragFloors() const { return worstDrag->dragMs / worstDrag->floorMs; }
};

// The cases must not be empty.
Summary summarize(const SizeCases &cases)
{
    const Case *first = &cases.front();
    Summary sum{first, first, first, first, first};
    const auto keep = [](const Case *&kept, const Case &c, double (*value)(const Case &)) {
        if (value(c) > value(*kept))
            kept = &c;
    };
    for (const Case &c : cases) {
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

// The budgets the size misses; a run without the sweep has no sweep budget.
QStringList missedBudgets(const Summary &sum, const ViewSize &size)
{
    QStringList misses;
    if (sum.share() > BudgetReferenceShare)
        misses << QStringLiteral("steady frame over %1 of the reference").arg(BudgetReferenceShare);
    if (size.frameBudget && sum.worst->ms > BudgetFrameMs)
        misses << QStringLiteral("steady frame over %1 ms").arg(BudgetFrameMs);
    if (size.frameBudget && sum.sweepReferenceMs > 0 && sum.sweepShare() > BudgetSweepShare)
        misses << QStringLiteral("zoom sweep over 1/3 of the reference");
    if (size.firstFrameBudget && sum.worstFirst->firstMs > BudgetFirstFrameMs)
        misses << QStringLiteral("first frame over %1 ms").arg(BudgetFirstFrameMs);
    if (size.frameBudget && sum.dragFloors() > BudgetDragFloors)
        misses << QStringLiteral("drag over %1 floors").arg(BudgetDragFloors);
    return misses;
}

void printSize(const Summary &sum, const ViewSize &size)
{
    const auto at = [](const Case *c, double ms) {
        return QStringLiteral("%1 (%2)").arg(formatMs(ms)).arg(c->scale);
    };
    out() << viewName(size) << "\n"
          << QStringLiteral("  steady frame %1, reference %2, floor %3, share %4\n")
                     .arg(at(sum.worst, sum.worst->ms),
                          at(sum.worstReference, sum.worstReference->referenceMs),
                          at(sum.worstFloor, sum.worstFloor->floorMs),
                          QString::number(sum.share(), 'f', 3))
          << QStringLiteral("  zoom: first frame %1; sweep %2 against %3, share %4\n")
                     .arg(at(sum.worstFirst, sum.worstFirst->firstMs), formatMs(sum.sweepMs),
                          formatMs(sum.sweepReferenceMs), QString::number(sum.sweepShare(), 'f', 3))
          << QStringLiteral("  drag (%1 px a frame): %2 against a floor of %3, %4 floors\n")
                     .arg(BenchStage::DragStep)
                     .arg(at(sum.worstDrag, sum.worstDrag->dragMs),
                          formatMs(sum.worstDrag->floorMs),
                          QString::number(sum.dragFloors(), 'f', 2));
}

} // namespace

int printSummary(const std::vector<SizeCases> &sizes, bool checkBudgets)
{
    int missing = 0;
    out() << "\nper view size (ms; the scale of each worst case in brackets)\n";
    for (const SizeCases &cases : sizes) {
        if (cases.empty())
            continue;
        const Summary sum = summarize(cases);
        const ViewSize &size = cases.front().view;
        printSize(sum, size);
        if (!checkBudgets)
            continue;
        const QStringList misses = missedBudgets(sum, size);
        if (!misses.isEmpty())
            ++missing;
        out() << QStringLiteral("  budgets: %1\n")
                         .arg(misses.isEmpty() ? QStringLiteral("met")
                                               : QStringLiteral("NOT MET: ") + misses.join(", "));
    }
    if (checkBudgets) {
        out() << (missing ? QStringLiteral("budgets missed at %1 of %2 sizes\n")
                                    .arg(missing)
                                    .arg(sizes.size())
                          : QStringLiteral("budgets met at every size\n"));
    }
    out().flush();
    return missing;
}

} // namespace bench
