// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LineState.h"

#include <QTimer>
#include <QWidget>

class QBoxLayout;
class QLabel;
class CPageTab;

// The status line under the tab control, in two rows that fit the window's
// designed width: the port and the device it stands for, the rate in use and
// whom it serves, the controller's generation once known; then the state of
// the line and the age of the last reply. It looks again a few times a
// second. Other states (the record's, a fast line) take fields of their own
// at the end of a row with AddField.
class CStatusLine : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;
    enum Row { PortRow, StateRow };

    explicit CStatusLine(QWidget* parent = nullptr);

    // The port the stored settings name; the tab says whom the rate serves.
    void SetPort(int portNumber, const CPageTab* tab);
    // A field of its own at the end of a row.
    void AddField(QWidget* field, Row row);
    // Reads everything again.
    void Refresh();

    QString PortText() const;
    QString RateText() const;
    QString GenerationText() const;
    QString StateText() const;
    QString AgeText() const;

    // "COM1 → /dev/ttyUSB0": the device a port entry links to, as the system names it.
    static QString PortText(int portNumber, const QString& devicePath);
    // "9600 主板", "38400 门机".
    static QString RateText(int baud, bool doorMachine);
    // "173 个参数"; empty while unknown.
    static QString GenerationText(int parameterCount);
    // "通讯正常", "无应答（自 10:42:13）", "串口已断开，等待重新连接", ...
    static QString StateText(CLineState::State state, const QDateTime& silentSince, bool portOpen);
    // "上次应答 0.3 秒前"; empty before the first reply.
    static QString AgeText(qint64 ms);

private:
    QLabel* AddLabel(Row row);
    static void Show(QLabel* label, const QString& text);

    int m_portNumber = 0; // none yet
    const CPageTab* m_tab = nullptr;
    QBoxLayout* m_rows[2];
    QLabel* m_port;
    QLabel* m_rate;
    QLabel* m_generation;
    QLabel* m_state;
    QLabel* m_age;
    QTimer m_refresh;
};
