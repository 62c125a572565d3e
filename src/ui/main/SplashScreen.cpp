// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/SplashScreen.h"

#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace zul::ui {

CSplashScreen::CSplashScreen(const QPixmap& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(picture) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(picture_.deviceIndependentSize().toSize());
    setFocusPolicy(Qt::StrongFocus);
}

void CSplashScreen::ShowCentred() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    QTimer::singleShot(kSplashMilliseconds, this, &QWidget::close);
}

QPixmap CSplashScreen::LoadPicture(const QString& imageFolder) {
    return QPixmap(QDir(imageFolder).filePath(QStringLiteral("splash.png")));
}

void CSplashScreen::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void CSplashScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
    close();
}

void CSplashScreen::keyPressEvent(QKeyEvent* event) {
    event->accept();
    close();
}

}  // namespace zul::ui
