// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusLine.h"

#include "app/PageTab.h"
#include "link/PortChannel.h"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A row keeps a line's height while its fields are empty and hidden.
QBoxLayout* NewRow(QBoxLayout* parent, int lineHeight)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addStrut(lineHeight);
    row->addStretch();
    parent->addLayout(row);
    return row;
}

} // namespace

CStatusLine::CStatusLine(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("statusLine");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 3);
    layout->setSpacing(1);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    m_rows[PortRow] = NewRow(layout, fontMetrics().height() + 2);
    m_rows[StateRow] = NewRow(layout, fontMetrics().height() + 2);
    m_port = AddLabel(PortRow);
    m_rate = AddLabel(PortRow);
    m_generation = AddLabel(PortRow);
    m_state = AddLabel(StateRow);
    m_age = AddLabel(StateRow);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CStatusLine::Refresh);
    m_refresh.start();
    Refresh();
}

// Fields stand left to right in the order they are added, before the row's stretch.
QLabel* CStatusLine::AddLabel(Row row)
{
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    AddField(label, row);
    return label;
}

void CStatusLine::SetPort(int portNumber, const CPageTab* tab)
{
    m_portNumber = portNumber;
    m_tab = tab;
    Refresh();
}

void CStatusLine::AddField(QWidget* field, Row row)
{
    QBoxLayout* layout = m_rows[row];
    layout->insertWidget(layout->count() - 1, field);
}

void CStatusLine::Show(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
    label->setVisible(!text.isEmpty());
}

void CStatusLine::Refresh()
{
    Show(m_port, PortText());
    Show(m_rate, RateText());
    Show(m_generation, GenerationText());
    const CLineState::State state = CLineState::Current();
    const bool trouble = !g_port.IsOpen() || state == CLineState::State::Silent || state == CLineState::State::Unplugged;
    const char* style = trouble ? "color: #b00000; font-weight: bold;" : "color: #006000;";
    if (m_state->styleSheet() != QLatin1String(style))
        m_state->setStyleSheet(style);
    Show(m_state, StateText());
    Show(m_age, AgeText());
}

QString CStatusLine::PortText() const
{
    return m_portNumber > 0 ? PortText(m_portNumber, CPortChannel::DevicePath(m_portNumber)) : QString();
}

QString CStatusLine::RateText() const
{
    return g_port.IsOpen() ? RateText(g_port.Baud(), m_tab && m_tab->DoorBaud()) : QString();
}

QString CStatusLine::GenerationText() const
{
    return GenerationText(CLineState::ParameterCount());
}

QString CStatusLine::StateText() const
{
    return StateText(CLineState::Current(), CLineState::UnansweredSince(), g_port.IsOpen());
}

QString CStatusLine::AgeText() const
{
    return g_port.IsOpen() ? AgeText(CLineState::MsSinceLastReply()) : QString();
}

QString CStatusLine::PortText(int portNumber, const QString& devicePath)
{
    const QFileInfo device(devicePath);
    const QString name = device.exists() ? device.canonicalFilePath() : devicePath;
    return QString("COM%1 → %2").arg(portNumber).arg(name);
}

QString CStatusLine::RateText(int baud, bool doorMachine)
{
    return QString("%1 %2").arg(baud).arg(doorMachine ? "门机" : "主板");
}

QString CStatusLine::GenerationText(int parameterCount)
{
    return parameterCount > 0 ? QString("%1 个参数").arg(parameterCount) : QString();
}

QString CStatusLine::StateText(CLineState::State state, const QDateTime& silentSince, bool portOpen)
{
    if (!portOpen)
        return "串口未打开";
    switch (state) {
    case CLineState::State::Waiting: return "等待应答";
    case CLineState::State::Answering: return "通讯正常";
    case CLineState::State::Silent: return QString("无应答（自 %1）").arg(silentSince.toString("HH:mm:ss"));
    case CLineState::State::Unplugged: return "串口已断开，等待重新连接";
    }
    return {};
}

// Tenths of a second while the reply is recent, whole seconds up to two
// minutes, then minutes.
QString CStatusLine::AgeText(qint64 ms)
{
    if (ms < 0)
        return {};
    if (ms < 10000)
        return QString("上次应答 %1 秒前").arg(ms / 1000.0, 0, 'f', 1);
    if (ms < 120000)
        return QString("上次应答 %1 秒前").arg(ms / 1000);
    return QString("上次应答 %1 分钟前").arg(ms / 60000);
}
