// SPDX-License-Identifier: GPL-3.0-or-later
#include "Splash.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "AppIcon.h"
#include "Drawing.h"

namespace pictures {

QImage DrawSplash() {
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QLinearGradient background(0, 0, 0, kSplashHeight);
    background.setColorAt(0, colour::kAccent.lighter(115));
    background.setColorAt(1, colour::kAccent.darker(160));
    painter.fillRect(image.rect(), background);

    PaintIcon(painter, QRectF(32, 55, 160, 160));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(38);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(212, 80, 264, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("QV-M8 ZuL"));
    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(22);
    painter.setFont(subtitle);
    painter.setPen(colour::kLayerDark);
    painter.drawText(QRectF(214, 140, 256, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("for Linux"));
    painter.setPen(QPen(colour::kLayerDark, 2));
    painter.drawLine(QPointF(214, 136), QPointF(448, 136));
    painter.end();
    return image;
}

}  // namespace pictures
