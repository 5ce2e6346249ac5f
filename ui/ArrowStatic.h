// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

// The travel direction arrow: shows one 16 x 21 frame of the arrow strip
// (bitmap 144) on black, 8 pixels in from the left so that it stands in the
// middle of the 32-pixel-wide control. Frames: 0 none, 1 red up, 2 red down,
// 3 and 4 none, 5 green up, 6 green down; 7 and above lie beyond the strip
// and show the black background alone.
//
// SetFrame draws at once (a synchronous repaint) and always draws; paint
// events draw the last frame again.
class CArrowStatic : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFrameWidth = 16;
    static constexpr int kFrameHeight = 21;

    explicit CArrowStatic(QWidget* parent = nullptr);

    void SetFrame(unsigned char frame);
    unsigned char GetFrame() const { return m_frame; }

    // Number of SetFrame calls so far: every one of them is a draw. Paint
    // events are not counted.
    int DrawCount() const { return m_drawCount; }

    QSize sizeHint() const override { return {2 * kFrameWidth, kFrameHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    unsigned char m_frame = 0;
    int m_drawCount = 0;
    QPixmap m_strip;
};
