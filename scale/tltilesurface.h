#ifndef TLTILESURFACE_H
#define TLTILESURFACE_H

#include <QWidget>

#include <functional>

class QPainter;
class QPaintEvent;

// A widget that is never shown, through which the scale's tiles are painted
// with QWidget::render(): a painter opened on a widget starts from the
// widget's palette and font and draws text as it does on screen (with
// subpixel antialiasing where the desktop asks for it), which a painter on
// an image does not. Given the canvas's palette, font and direction, a tile
// comes out as the canvas itself would have been painted.
class TLTileSurface : public QWidget
{
    Q_OBJECT

public:
    TLTileSurface();
    ~TLTileSurface() override;

    // Takes on target's palette, font and layout direction.
    void imitate(const QWidget *target);

    // Paints image (whose device pixel ratio gives the scale) with paint.
    void paintInto(QImage *image, const std::function<void(QPainter &)> &paint);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<void(QPainter &)> painting;
};

#endif // TLTILESURFACE_H
