#include "benchreport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace bench {

namespace {

// Milliseconds under this get three decimals, the rest one.
constexpr double FineMs = 10;

bool toStderr = false;

// The columns of the table of cases; a negative width aligns to the left.
struct Column
{
    const char *title;
    int width;
};
const Column Columns[] = {
        {"view", -15}, {"case", -12},   {"scale", 9},    {"cells", 6},
        {"ms", 8},     {"cpu ms", 8},   {"first ms", 8}, {"drag ms", 8},
        {"ref ms", 8}, {"floor ms", 8}, {"ref/ms", 7},   {"ms/floor", 8},
};

void printRow(const QStringList &fields)
{
    QStringList cells;
    for (size_t i = 0; i < std::size(Columns); ++i)
        cells << QStringLiteral("%1").arg(fields.value(qsizetype(i)), Columns[i].width);
    out() << cells.join(QLatin1Char(' ')) << '\n';
}

} // namespace

QTextStream &out()
{
    static QTextStream standardOutput(stdout);
    static QTextStream standardError(stderr);
    return toStderr ? standardError : standardOutput;
}

void reportToStderr()
{
    toStderr = true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

QString formatMs(double ms)
{
    return QString::number(ms, 'f', ms < FineMs ? 3 : 1);
}

QString viewName(const ViewSize &size)
{
    return QStringLiteral("%1x%2@%3").arg(size.width).arg(size.height).arg(size.ratio);
}

void printCaseHeader()
{
    QStringList titles;
    for (const Column &column : Columns)
        titles << QLatin1String(column.title);
    printRow(titles);
}

void printCase(const Case &c)
{
    printRow({viewName(c.view), c.name, QString::number(c.scale), QString::number(c.cells),
              formatMs(c.ms), formatMs(c.cpuMs), formatMs(c.firstMs), formatMs(c.dragMs),
              formatMs(c.referenceMs), formatMs(c.floorMs),
              QString::number(c.referenceMs / c.ms, 'f', 1),
              QString::number(c.ms / c.floorMs, 'f', 1)});
    out().flush();
}

bool writeJson(const std::vector<SizeCases> &sizes, const QString &fileName)
{
    QJsonArray array;
    for (const SizeCases &cases : sizes) {
        for (const Case &c : cases) {
            array.append(QJsonObject{
                    {QStringLiteral("case"), c.name},
                    {QStringLiteral("width"), c.view.width},
                    {QStringLiteral("height"), c.view.height},
                    {QStringLiteral("ratio"), c.view.ratio},
                    {QStringLiteral("scale"), double(c.scale)},
                    {QStringLiteral("cells"), double(c.cells)},
                    {QStringLiteral("ms_per_frame"), c.ms},
                    {QStringLiteral("reference_ms_per_frame"), c.referenceMs},
                    {QStringLiteral("floor_ms_per_frame"), c.floorMs},
                    {QStringLiteral("first_ms"), c.firstMs},
                    {QStringLiteral("drag_ms_per_frame"), c.dragMs},
            });
        }
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

} // namespace bench
