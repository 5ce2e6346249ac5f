// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressStrip.h"

#include "ui/InputGuard.h"
#include "link/Cancel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kHeight = 34;
constexpr int kMargin = 6;

} // namespace

CProgressStrip::CProgressStrip(QWidget* host, const QString& what, int total, bool stoppable)
    : QWidget(host)
    , m_what(what)
    , m_total(total)
    , m_text(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(kObjectName);
    setAutoFillBackground(true);
    m_bar->setTextVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_text);
    layout->addWidget(m_bar, 1);
    if (stoppable) {
        auto* cancel = new QPushButton("取消", this);
        cancel->setFocusPolicy(Qt::NoFocus);
        CInputGuard::KeepLive(cancel);
        connect(cancel, &QPushButton::clicked, this, [] { CCancel::Request(); });
        layout->addWidget(cancel);
    }
    SetTotal(total);
    PlaceAtBottom();
    host->installEventFilter(this);
    show();
    raise();
}

void CProgressStrip::SetTotal(int total)
{
    m_total = total;
    m_bar->setRange(0, std::max(total, 1));
    SetDone(m_done);
}

void CProgressStrip::SetDone(int done)
{
    m_done = done;
    m_text->setText(QString("%1 %2/%3").arg(m_what).arg(done).arg(m_total));
    m_bar->setValue(std::min(done, m_bar->maximum()));
}

bool CProgressStrip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        FollowHost();
    return false;
}

QString CProgressStrip::Text() const
{
    return m_text->text();
}

// From a little above the host's lowest row of buttons to its bottom, so the
// buttons that cannot act meanwhile are covered and nothing else is.
void CProgressStrip::PlaceAtBottom()
{
    const QWidget* host = parentWidget();
    int top = host->height() - kHeight;
    int buttonsTop = -1;
    for (const QPushButton* button : host->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        buttonsTop = std::max(buttonsTop, button->y());
    if (buttonsTop >= 0)
        top = std::min(top, buttonsTop - kMargin);
    m_height = host->height() - top;
    FollowHost();
}

// The buttons keep their distance from the bottom when the window changes
// size, and so does the strip.
void CProgressStrip::FollowHost()
{
    const QWidget* host = parentWidget();
    setGeometry(0, host->height() - m_height, host->width(), m_height);
}
