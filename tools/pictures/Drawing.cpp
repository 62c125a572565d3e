// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPolygonF>

#include <cmath>

namespace pictures {

void PrepareCanvas(QPainter& painter, const QRectF& area) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, Qt::white);
}

QPointF EmitterPoint(const QRectF& body) {
    return {body.left() + body.width() * 0.3, body.bottom()};
}

QPointF ReceiverPoint(const QRectF& body) {
    return {body.left() + body.width() * 0.7, body.bottom()};
}

void DrawHead(QPainter& painter, const QRectF& body, const QString& label, bool muted) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(muted ? colour::kMuted : colour::kHeadBody);
    painter.drawRoundedRect(body, 5, 5);
    const QRectF face(body.left() + 4, body.bottom() - 9, body.width() - 8, 6);
    painter.setBrush(muted ? QColor(Qt::white) : colour::kHeadFace);
    painter.drawRoundedRect(face, 2, 2);
    if (!muted) {
        const qreal w = 10;
        painter.setBrush(colour::kLaser);
        painter.drawRect(QRectF(EmitterPoint(body).x() - w / 2, face.top(), w, face.height()));
        painter.setBrush(colour::kHeadBody.darker(140));
        painter.drawRect(QRectF(ReceiverPoint(body).x() - w / 2, face.top(), w, face.height()));
    }
    painter.restore();
    if (!label.isEmpty()) {
        DrawCentredText(painter, QPointF(body.center().x(), body.top() + (body.height() - 9) / 2),
                        label, static_cast<int>(body.height() * 0.45), Qt::white, true);
    }
}

void DrawArrow(QPainter& painter, QPointF from, QPointF to, const QColor& colour, bool bothEnds,
               qreal width) {
    painter.save();
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    const QLineF line(from, to);
    const qreal headLength = 4.0 + width * 2.0;
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    auto head = [&](QPointF tip, qreal direction) {
        const qreal spread = 0.45;
        QPolygonF triangle;
        triangle << tip
                 << tip - QPointF(std::cos(direction - spread), std::sin(direction - spread)) *
                              headLength
                 << tip - QPointF(std::cos(direction + spread), std::sin(direction + spread)) *
                              headLength;
        painter.setBrush(colour);
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(triangle);
    };
    // Shorten the shaft so that it ends inside the arrow heads.
    const qreal shorten = headLength * 0.8;
    const QPointF unit = (line.length() > 0) ? (to - from) / line.length() : QPointF();
    painter.drawLine(bothEnds ? from + unit * shorten : from, to - unit * shorten);
    head(to, angle);
    if (bothEnds) {
        head(from, angle + M_PI);
    }
    painter.restore();
}

void DrawCentredText(QPainter& painter, QPointF centre, const QString& text, int pixelSize,
                     const QColor& colour, bool bold) {
    painter.save();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(pixelSize, 6));
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetricsF metrics(font);
    const QRectF box(centre.x() - metrics.horizontalAdvance(text) / 2 - 2,
                     centre.y() - metrics.height() / 2, metrics.horizontalAdvance(text) + 4,
                     metrics.height());
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

}  // namespace pictures
