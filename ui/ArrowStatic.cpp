// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ArrowStatic.h"

#include "res/Resources.h"

#include <QPainter>

CArrowStatic::CArrowStatic(QWidget* parent)
    : QWidget(parent)
    , m_strip(QPixmap::fromImage(LoadBitmapResource(144)))
{
}

void CArrowStatic::SetFrame(unsigned char frame)
{
    m_frame = frame;
    ++m_drawCount;
    repaint();
}

void CArrowStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QRect source(m_frame * kFrameWidth, 0, kFrameWidth, kFrameHeight);
    if (m_strip.rect().contains(source))
        painter.drawPixmap(QPoint(rect().left() + 8, rect().top()), m_strip, source);
}
