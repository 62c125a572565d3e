// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the schematics: colours, sensor heads, arrows and labels.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace pictures {

namespace colour {
inline const QColor kHeadBody{0x45, 0x5a, 0x64};
inline const QColor kHeadFace{0xcf, 0xd8, 0xdc};
inline const QColor kLaser{0xd3, 0x2f, 0x2f};
inline const QColor kReceived{0xef, 0x6c, 0x00};
inline const QColor kLayerLight{0xe3, 0xf2, 0xfd};
inline const QColor kLayerDark{0xbb, 0xde, 0xfb};
inline const QColor kSurface{0x54, 0x6e, 0x7a};
inline const QColor kMeasured{0xc6, 0x28, 0x28};
inline const QColor kDimension{0x15, 0x65, 0xc0};
inline const QColor kText{0x26, 0x32, 0x38};
inline const QColor kMuted{0xb0, 0xbe, 0xc5};
inline const QColor kAccent{0x1f, 0x4e, 0x79};
}  // namespace colour

// A painter on a white image with antialiasing on.
void PrepareCanvas(QPainter& painter, const QRectF& area);

// A sensor head: a dark body with a light front, an emitter window on the left and a receiver
// window on the right of its lower edge; the label is written on the body when not empty.
// Returns nothing; the windows sit at EmitterPoint and ReceiverPoint.
void DrawHead(QPainter& painter, const QRectF& body, const QString& label, bool muted = false);
QPointF EmitterPoint(const QRectF& body);
QPointF ReceiverPoint(const QRectF& body);

// A line with a filled arrow head at `to`, and optionally one at `from`.
void DrawArrow(QPainter& painter, QPointF from, QPointF to, const QColor& colour,
               bool bothEnds = false, qreal width = 2.0);

// Text centred on a point, in the given pixel size and weight.
void DrawCentredText(QPainter& painter, QPointF centre, const QString& text, int pixelSize,
                     const QColor& colour, bool bold = false);

}  // namespace pictures
