// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The progress of a long operation over the bottom of a page or dialog, where
// its buttons are (they cannot act meanwhile): what is done ("读取参数
// 86/173"), a bar, and for an operation that may be stopped 取消, which
// stops it at its next exchange boundary. Its 取消 is served while the
// exchanges hold the port.
class CProgressStrip : public QWidget
{
    Q_OBJECT
public:
    CProgressStrip(QWidget* host, const QString& what, int total, bool stoppable = true);

    void SetDone(int done);
    void SetTotal(int total);
    QString Text() const;

    static constexpr const char* kObjectName = "progressStrip";

protected:
    // Follows the host when the window grows or shrinks meanwhile.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceAtBottom();
    void FollowHost();

    QString m_what;
    int m_total;
    int m_done = 0;
    int m_height = 0;
    QLabel* m_text;
    QProgressBar* m_bar;
};
