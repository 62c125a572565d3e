// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputSchematic.h"

#include <QPainter>
#include <QPolygonF>

#include <vector>

#include "Drawing.h"

namespace pictures {

namespace {

const QRectF kHead(86, 10, 84, 34);
constexpr qreal kTargetLeft = 44;
constexpr qreal kTargetRight = 212;
constexpr qreal kDimensionX = 232;

// The light paths to one measured surface at height y: diffuse light goes straight down and
// scatters back towards the receiver; specular light meets the surface half way between the
// windows and is mirrored into the receiver.
void DrawLight(QPainter& painter, qreal y, bool specular) {
    const QPointF emitter = EmitterPoint(kHead);
    const QPointF receiver = ReceiverPoint(kHead);
    painter.save();
    if (specular) {
        const QPointF spot((emitter.x() + receiver.x()) / 2, y);
        painter.setPen(QPen(colour::kLaser, 2.5));
        painter.drawLine(emitter, spot);
        painter.setPen(QPen(colour::kReceived, 2.0));
        painter.drawLine(spot, receiver);
        painter.setBrush(colour::kLaser);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(spot, 3, 3);
    } else {
        const QPointF spot(emitter.x(), y);
        painter.setPen(QPen(colour::kLaser, 2.5));
        painter.drawLine(emitter, spot);
        // A fan of scattered light, one ray of which reaches the receiver.
        painter.setPen(QPen(colour::kReceived, 1.0, Qt::DashLine));
        for (qreal dx : {-40.0, -18.0, 40.0}) {
            painter.drawLine(spot, QPointF(spot.x() + dx, spot.y() - 22));
        }
        painter.setPen(QPen(colour::kReceived, 2.0));
        painter.drawLine(spot, receiver);
        painter.setBrush(colour::kLaser);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(spot, 3, 3);
    }
    painter.restore();
}

// A layered transparent target: `count` surfaces from top to bottom at the given heights, the
// layers between them shaded alternately.
void DrawLayers(QPainter& painter, const std::vector<qreal>& ys) {
    painter.save();
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        painter.setBrush(i % 2 == 0 ? colour::kLayerDark : colour::kLayerLight);
        painter.drawRect(QRectF(kTargetLeft, ys[i], kTargetRight - kTargetLeft, ys[i + 1] - ys[i]));
    }
    painter.setPen(QPen(colour::kSurface, 1.5));
    for (qreal y : ys) {
        painter.drawLine(QPointF(kTargetLeft, y), QPointF(kTargetRight, y));
    }
    painter.restore();
}

void MarkSurface(QPainter& painter, qreal y) {
    painter.save();
    painter.setPen(QPen(colour::kMeasured, 3.5, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(kTargetLeft, y), QPointF(kTargetRight, y));
    painter.restore();
}

// The surface numbers beside the target and an arrow that shows the direction of counting.
void DrawNumbers(QPainter& painter, const std::vector<qreal>& ys, bool farBasis,
                 const std::vector<int>& measured) {
    const int count = static_cast<int>(ys.size());
    for (int i = 0; i < count; ++i) {
        const int number = farBasis ? count - i : i + 1;
        bool isMeasured = false;
        for (int m : measured) {
            isMeasured = isMeasured || m == number;
        }
        DrawCentredText(painter, QPointF(kTargetLeft - 14, ys[i]), QString::number(number),
                        isMeasured ? 14 : 12, isMeasured ? colour::kMeasured : colour::kText,
                        isMeasured);
    }
    const qreal top = ys.front();
    const qreal bottom = ys.back();
    if (farBasis) {
        DrawArrow(painter, QPointF(10, bottom), QPointF(10, top), colour::kMuted, false, 1.5);
    } else {
        DrawArrow(painter, QPointF(10, top), QPointF(10, bottom), colour::kMuted, false, 1.5);
    }
}

void DrawSingleHeadView(QPainter& painter, const OutputView& view) {
    DrawHead(painter, kHead, QString());
    std::vector<qreal> ys;
    std::vector<int> measured;
    if (view.firstSurface == 0) {
        // The plain target: a plate whose near or far face is the reference surface.
        ys = {104, 164};
        measured = {1};
    } else {
        ys = {92, 112, 132, 152, 172};
        measured = {view.firstSurface};
        if (view.secondSurface != 0) {
            measured.push_back(view.secondSurface);
        }
    }
    DrawLayers(painter, ys);
    const int count = static_cast<int>(ys.size());
    auto heightOf = [&](int number) { return ys[view.farBasis ? count - number : number - 1]; };
    for (int number : measured) {
        MarkSurface(painter, heightOf(number));
    }
    for (int number : measured) {
        DrawLight(painter, heightOf(number), view.specular);
    }
    DrawNumbers(painter, ys, view.farBasis, measured);
    if (measured.size() == 1) {
        // A displacement: the distance from the head to the measured surface.
        DrawArrow(painter, QPointF(kDimensionX, kHead.bottom()),
                  QPointF(kDimensionX, heightOf(measured[0])), colour::kDimension);
        painter.save();
        painter.setPen(QPen(colour::kDimension, 1, Qt::DotLine));
        painter.drawLine(QPointF(kHead.right(), kHead.bottom()),
                         QPointF(kDimensionX + 6, kHead.bottom()));
        painter.restore();
    } else {
        // A thickness: the distance between the two measured surfaces.
        DrawArrow(painter, QPointF(kDimensionX, heightOf(measured[0])),
                  QPointF(kDimensionX, heightOf(measured[1])), colour::kDimension, true);
        painter.save();
        painter.setPen(QPen(colour::kDimension, 1, Qt::DotLine));
        for (int number : measured) {
            painter.drawLine(QPointF(kTargetRight, heightOf(number)),
                             QPointF(kDimensionX + 6, heightOf(number)));
        }
        painter.restore();
    }
}

// An output computed from both heads: head A above and head B below the target, each
// measuring the face it looks at, the target's thickness between them.
void DrawTwoHeadView(QPainter& painter) {
    const QRectF headA(86, 8, 84, 30);
    const QRectF headB(86, 154, 84, 30);
    DrawHead(painter, headA, QStringLiteral("A"));
    painter.save();
    painter.translate(0, headB.top() + headB.bottom());
    painter.scale(1, -1);
    DrawHead(painter, headB, QString());
    painter.restore();
    DrawCentredText(painter, QPointF(headB.center().x(), headB.center().y() + 4), "B", 13,
                    Qt::white, true);
    const qreal top = 80;
    const qreal bottom = 112;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour::kLayerDark);
    painter.drawRect(QRectF(kTargetLeft, top, kTargetRight - kTargetLeft, bottom - top));
    painter.restore();
    MarkSurface(painter, top);
    MarkSurface(painter, bottom);
    const qreal beamX = EmitterPoint(headA).x();
    painter.save();
    painter.setPen(QPen(colour::kLaser, 2.5));
    painter.drawLine(QPointF(beamX, headA.bottom()), QPointF(beamX, top));
    painter.drawLine(QPointF(beamX, headB.top()), QPointF(beamX, bottom));
    painter.setPen(QPen(colour::kReceived, 2.0));
    painter.drawLine(QPointF(beamX, top), ReceiverPoint(headA));
    painter.drawLine(QPointF(beamX, bottom), QPointF(ReceiverPoint(headA).x(), headB.top()));
    painter.restore();
    DrawArrow(painter, QPointF(kDimensionX, top), QPointF(kDimensionX, bottom), colour::kDimension,
              true);
    DrawCentredText(painter, QPointF(24, (top + bottom) / 2), "A+B", 12, colour::kText, true);
}

}  // namespace

QImage DrawOutputSchematic(const OutputView& view) {
    QImage image(kOutputWidth, kOutputHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    PrepareCanvas(painter, QRectF(image.rect()));
    if (view.bothHeads) {
        DrawTwoHeadView(painter);
    } else {
        DrawSingleHeadView(painter, view);
    }
    painter.end();
    return image;
}

}  // namespace pictures
