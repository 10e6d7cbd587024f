#ifndef BUDGETSUMMARY_H
#define BUDGETSUMMARY_H

#include "framecost.h"

#include <vector>

namespace bench {

// Prints, for every view size, the worst frames of the product, the
// reference and the floor over all its scales; with checkBudgets, also which
// budgets it misses. Returns the number of sizes that miss one (0 unless
// checked). Every size needs the yardsticks measured.
int printSummary(const std::vector<SizeCases> &sizes, bool checkBudgets);

} // namespace bench

#endif // BUDGETSUMMARY_H
