#ifndef STARTUPTIMER_H
#define STARTUPTIMER_H

#include <QSize>
#include <QString>

namespace bench {

// Times the main window from construction to the end of its first paint,
// against a bare QMainWindow of the same size, each in a fresh process (a
// child of this one) and again in this process; prints the medians of the
// given number of repeats.
void measureStartup(int repeats);
// The child's side: constructs and shows one window ("app" or "bare", the
// bare one of the given size), prints its time and returns the exit status.
int runStartupChild(const QString &which, QSize size);

} // namespace bench

#endif // STARTUPTIMER_H
