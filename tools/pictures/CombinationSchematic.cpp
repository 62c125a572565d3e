// SPDX-License-Identifier: GPL-3.0-or-later
#include "CombinationSchematic.h"

#include <QLineF>
#include <QPainter>

#include <utility>

#include "Drawing.h"

namespace pictures {

namespace {

// One output's half of the picture, `left` being its left edge.
void DrawOutputColumn(QPainter& painter, qreal left, int pattern, const QString& outputName) {
    const char heads = PatternHeads(pattern);
    const bool usesA = heads == 'A' || heads == '+';
    const bool usesB = heads == 'B' || heads == '+';
    const QRectF headA(left + 10, 14, 48, 30);
    const QRectF headB(left + 70, 14, 48, 30);
    DrawHead(painter, headA, QStringLiteral("A"), !usesA);
    DrawHead(painter, headB, QStringLiteral("B"), !usesB);

    const QPointF node(left + 64, 94);
    const qreal nodeRadius = 14;
    for (const auto& [used, head] : {std::pair{usesA, headA}, std::pair{usesB, headB}}) {
        if (used) {
            DrawArrow(painter, QPointF(head.center().x(), head.bottom() + 2),
                      node + (QPointF(head.center().x(), head.bottom()) - node) *
                                 (nodeRadius /
                                  QLineF(node, QPointF(head.center().x(), head.bottom())).length()),
                      colour::kAccent, false, 2.0);
        }
    }
    painter.save();
    painter.setPen(QPen(colour::kAccent, 2));
    painter.setBrush(heads == '+' ? colour::kLayerDark : QColor(Qt::white));
    painter.drawEllipse(node, nodeRadius, nodeRadius);
    painter.restore();
    DrawCentredText(painter, node, QString::number(pattern + 1), 13, colour::kText, true);

    if (PatternUsesSurfaces(pattern)) {
        // A small layered target beside the node: chosen surfaces are measured.
        painter.save();
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            painter.setBrush(i % 2 == 0 ? colour::kLayerDark : colour::kLayerLight);
            painter.drawRect(QRectF(node.x() + 22, node.y() - 12 + i * 8, 26, 8));
        }
        painter.setPen(QPen(colour::kMeasured, 2.5));
        painter.drawLine(QPointF(node.x() + 22, node.y() - 4),
                         QPointF(node.x() + 48, node.y() - 4));
        painter.restore();
    }

    const QRectF output(left + 22, 140, 84, 32);
    DrawArrow(painter, QPointF(node.x(), node.y() + nodeRadius), QPointF(node.x(), output.top()),
              colour::kAccent, false, 2.0);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour::kAccent);
    painter.drawRoundedRect(output, 6, 6);
    painter.restore();
    DrawCentredText(painter, output.center(), outputName, 15, Qt::white, true);
}

}  // namespace

QImage DrawCombinationSchematic(const CombinationView& view) {
    QImage image(kCombinationWidth, kCombinationHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    PrepareCanvas(painter, QRectF(image.rect()));
    DrawOutputColumn(painter, 0, view.out1, QStringLiteral("OUT1"));
    DrawOutputColumn(painter, 128, view.out2, QStringLiteral("OUT2"));
    painter.setPen(QPen(colour::kMuted, 1, Qt::DashLine));
    painter.drawLine(QPointF(128, 10), QPointF(128, 182));
    painter.end();
    return image;
}

}  // namespace pictures
