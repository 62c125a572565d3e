// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon: a sensor head above a target, its laser beam and the reflected light.
// The icon is one list of simple shapes on a 256 x 256 canvas, painted into PNG files of any
// size and written out as an SVG file, so that both forms show the same drawing.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace pictures {

inline constexpr int kIconCanvas = 256;

struct IconShape {
    enum class Kind { RoundedRect, Line, Circle };
    Kind kind = Kind::RoundedRect;
    QRectF rect;       // RoundedRect; Circle: its bounding square
    qreal radius = 0;  // RoundedRect corner radius
    QPointF from, to;  // Line
    QColor fill;       // RoundedRect, Circle
    QColor stroke;     // Line
    qreal strokeWidth = 0;
};

const std::vector<IconShape>& IconShapes();

// Paints the icon into `target` (the 256 x 256 canvas scaled to fit).
void PaintIcon(QPainter& painter, const QRectF& target);

// The icon as a square ARGB image of the given size.
QImage RenderIcon(int size);

// The icon as an SVG document.
QString IconSvg();

}  // namespace pictures
