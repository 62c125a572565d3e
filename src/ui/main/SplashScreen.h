// SPDX-License-Identifier: GPL-3.0-or-later
// The splash: a borderless pop-up the size of its picture, centred, shown once while the main
// window is built. It closes after 750 ms or at the first key or mouse-button press on it,
// whichever comes first; that press is consumed.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace zul::ui {

inline constexpr int kSplashMilliseconds = 750;

class CSplashScreen : public QWidget {
    Q_OBJECT

public:
    explicit CSplashScreen(const QPixmap& picture);

    // Shows the splash centred on the primary screen and starts its timer.
    void ShowCentred();
    const QPixmap& Picture() const { return picture_; }

    // The splash picture from the picture folder; null when it cannot be loaded (no splash).
    static QPixmap LoadPicture(const QString& imageFolder);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace zul::ui
