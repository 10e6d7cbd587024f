#include "tltilesurface.h"

#include <QImage>
#include <QPainter>

#include <cmath>

TLTileSurface::TLTileSurface()
{
    setAttribute(Qt::WA_DontShowOnScreen);
}

TLTileSurface::~TLTileSurface() = default;

void TLTileSurface::imitate(const QWidget *target)
{
    if (palette() != target->palette())
        setPalette(target->palette());
    if (font() != target->font())
        setFont(target->font());
    setLayoutDirection(target->layoutDirection());
}

void TLTileSurface::paintInto(QImage *image, const std::function<void(QPainter &)> &paint)
{
    const qreal ratio = image->devicePixelRatio();
    resize(int(std::ceil(image->width() / ratio)), int(std::ceil(image->height() / ratio)));
    painting = paint;
    render(image, QPoint(), QRegion(), RenderFlags());
    painting = nullptr;
}

void TLTileSurface::paintEvent(QPaintEvent *)
{
    if (!painting)
        return;
    QPainter painter(this);
    painting(painter);
}
