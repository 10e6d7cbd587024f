#ifndef BENCHREPORT_H
#define BENCHREPORT_H

#include "framecost.h"

#include <QString>
#include <QTextStream>

#include <vector>

namespace bench {

// Where the report goes: standard output, or standard error once
// reportToStderr() is called (when standard output carries the JSON).
QTextStream &out();
void reportToStderr();

// The median of values, 0 when there are none: every figure reported is one.
double median(std::vector<double> values);
QString formatMs(double ms);
QString viewName(const ViewSize &size);

// The table of cases, one line a case.
void printCaseHeader();
void printCase(const Case &c);
// The cases as a JSON array to the file, or to standard output for "-";
// false (and a message) when the file cannot be written.
bool writeJson(const std::vector<SizeCases> &sizes, const QString &fileName);

} // namespace bench

#endif // BENCHREPORT_H
