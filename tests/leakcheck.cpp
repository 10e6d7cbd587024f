// Builds the main window, paints it at every zoom preset, sends a few hundred
// gestures and destroys it again. Run under Valgrind's memcheck by ctest: any
// definitely or indirectly lost block that the suppressions do not explain
// fails the test.
#include "testsupport.h"
#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>

namespace {

void paint(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    widget->render(&image);
}

void sendGestures(QWidget *surface, int count)
{
    const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseMove,
                                  QEvent::MouseButtonRelease};
    for (int i = 0; i < count; ++i) {
        const QPointF pos(10 + (i * 37) % 400, 10 + (i * 13) % 50);
        const QEvent::Type type = types[i % 4];
        QMouseEvent mouse(type, pos, pos, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &mouse);
        if (i % 10 == 0) {
            turnWheel(surface, QPoint(0, i % 20 == 0 ? 120 : -120), pos);
            paint(surface);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto *window = new TimelineApp;
    window->show();
    const Ui_MainWindow &ui = window->form();
    for (QPushButton *button : {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear}) {
        button->click();
        paint(window);
    }
    sendGestures(ui.timeline->drawingCanvas(), 200);
    sendGestures(ui.thumbwheel, 100);
    delete window;
    return 0;
}
