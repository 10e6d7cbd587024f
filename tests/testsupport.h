#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPicture>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QWidget>

#include <ctime>

// The rows' background colours: hours, days, weeks, months, years.
constexpr QRgb RowColors[] = {0xF6EFB5, 0xE0DBA3, 0xC6C78A, 0xAEB99C, 0x8DAA94};

// Puts the process into a time zone (TZ, then tzset(), which QDateTime and
// QTimeZone follow) and a default locale for one scope, and restores both.
class ZoneGuard
{
public:
    explicit ZoneGuard(const QByteArray &zone,
                       const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        if (!zone.isEmpty())
            qputenv("TZ", zone);
        tzset();
        QLocale::setDefault(locale);
    }
    ~ZoneGuard()
    {
        wasSet ? qputenv("TZ", previous) : qunsetenv("TZ");
        tzset();
        QLocale::setDefault(previousLocale);
    }
    ZoneGuard(const ZoneGuard &) = delete;
    ZoneGuard &operator=(const ZoneGuard &) = delete;

private:
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray previous = qgetenv("TZ");
    const QLocale previousLocale;
};

// Renders a widget of the given logical size at a device pixel ratio;
// through a picture, the widget paints onto a QPicture that is replayed.
inline QImage renderAt(QWidget &widget, QSize size, qreal ratio = 1, bool throughPicture = false)
{
    widget.resize(size);
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPicture picture; // replayed onto the image; empty unless painted onto
    widget.render(throughPicture ? static_cast<QPaintDevice *>(&picture) : &image);
    QPainter(&image).drawPicture(0, 0, picture);
    return image;
}

// Turns the mouse wheel over target by angle (eighths of a degree), or
// scrolls with a device that gives pixels and phases too.
inline void turnWheel(QWidget *target, QPoint angle, QPoint pixels = QPoint(),
                      Qt::ScrollPhase phase = Qt::NoScrollPhase,
                      const QPointingDevice *device = QPointingDevice::primaryPointingDevice())
{
    const QPointF pos(10, 10);
    QWheelEvent event(pos, target->mapToGlobal(pos), pixels, angle, Qt::NoButton, Qt::NoModifier,
                      phase, false, Qt::MouseEventNotSynthesized, device);
    QCoreApplication::sendEvent(target, &event);
}

#endif // TESTSUPPORT_H
