// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppIcon.h"

#include <QPen>
#include <QTextStream>

namespace pictures {

const std::vector<IconShape>& IconShapes() {
    using Kind = IconShape::Kind;
    static const std::vector<IconShape> shapes = [] {
        std::vector<IconShape> list;
        auto rect = [&](QRectF r, qreal radius, QColor fill) {
            IconShape s;
            s.kind = Kind::RoundedRect;
            s.rect = r;
            s.radius = radius;
            s.fill = fill;
            list.push_back(s);
        };
        auto line = [&](QPointF from, QPointF to, QColor stroke, qreal width) {
            IconShape s;
            s.kind = Kind::Line;
            s.from = from;
            s.to = to;
            s.stroke = stroke;
            s.strokeWidth = width;
            list.push_back(s);
        };
        auto circle = [&](QPointF centre, qreal r, QColor fill) {
            IconShape s;
            s.kind = Kind::Circle;
            s.rect = QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
            s.fill = fill;
            list.push_back(s);
        };
        rect(QRectF(16, 16, 224, 224), 44, QColor(0x1f, 0x4e, 0x79));
        // Sensor head with its emitter and receiver windows.
        rect(QRectF(64, 44, 128, 60), 12, QColor(0xec, 0xef, 0xf1));
        rect(QRectF(84, 92, 28, 12), 3, QColor(0xd3, 0x2f, 0x2f));
        rect(QRectF(144, 92, 28, 12), 3, QColor(0x37, 0x47, 0x4f));
        // Target with its measured surface.
        rect(QRectF(44, 180, 168, 36), 6, QColor(0x90, 0xca, 0xf9));
        rect(QRectF(44, 176, 168, 8), 3, QColor(0xff, 0xc1, 0x07));
        // Laser beam down to the surface and the light reflected into the receiver.
        line(QPointF(98, 106), QPointF(128, 178), QColor(0xff, 0x52, 0x52), 10);
        line(QPointF(128, 178), QPointF(158, 106), QColor(0xff, 0xab, 0x40), 7);
        circle(QPointF(128, 178), 9, QColor(0xff, 0xeb, 0x3b));
        return list;
    }();
    return shapes;
}

void PaintIcon(QPainter& painter, const QRectF& target) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(target.topLeft());
    painter.scale(target.width() / kIconCanvas, target.height() / kIconCanvas);
    for (const IconShape& shape : IconShapes()) {
        switch (shape.kind) {
            case IconShape::Kind::RoundedRect:
                painter.setPen(Qt::NoPen);
                painter.setBrush(shape.fill);
                painter.drawRoundedRect(shape.rect, shape.radius, shape.radius);
                break;
            case IconShape::Kind::Line:
                painter.setPen(QPen(shape.stroke, shape.strokeWidth, Qt::SolidLine, Qt::RoundCap));
                painter.drawLine(shape.from, shape.to);
                break;
            case IconShape::Kind::Circle:
                painter.setPen(Qt::NoPen);
                painter.setBrush(shape.fill);
                painter.drawEllipse(shape.rect);
                break;
        }
    }
    painter.restore();
}

QImage RenderIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintIcon(painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

QString IconSvg() {
    QString text;
    QTextStream out(&text);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kIconCanvas << "\" height=\""
        << kIconCanvas << "\" viewBox=\"0 0 " << kIconCanvas << ' ' << kIconCanvas << "\">\n";
    for (const IconShape& shape : IconShapes()) {
        switch (shape.kind) {
            case IconShape::Kind::RoundedRect:
                out << "  <rect x=\"" << shape.rect.x() << "\" y=\"" << shape.rect.y()
                    << "\" width=\"" << shape.rect.width() << "\" height=\"" << shape.rect.height()
                    << "\" rx=\"" << shape.radius << "\" fill=\"" << shape.fill.name() << "\"/>\n";
                break;
            case IconShape::Kind::Line:
                out << "  <line x1=\"" << shape.from.x() << "\" y1=\"" << shape.from.y()
                    << "\" x2=\"" << shape.to.x() << "\" y2=\"" << shape.to.y() << "\" stroke=\""
                    << shape.stroke.name() << "\" stroke-width=\"" << shape.strokeWidth
                    << "\" stroke-linecap=\"round\"/>\n";
                break;
            case IconShape::Kind::Circle:
                out << "  <circle cx=\"" << shape.rect.center().x() << "\" cy=\""
                    << shape.rect.center().y() << "\" r=\"" << shape.rect.width() / 2
                    << "\" fill=\"" << shape.fill.name() << "\"/>\n";
                break;
        }
    }
    out << "</svg>\n";
    return text;
}

}  // namespace pictures
