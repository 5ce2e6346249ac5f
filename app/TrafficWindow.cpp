// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrafficWindow.h"

#include "ui/InputGuard.h"
#include "ui/MessageBox.h"
#include "link/LineTap.h"
#include "link/PortChannel.h"
#include "res/Resources.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextStream>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The widest text of each column but the last, which takes the rest.
const char* const kWidestTexts[CTrafficLog::ColumnCount - 1] = {"00:00:00.000", "接收 ←", "115200", "主动上报（故障报告）"};

constexpr int kFrameChars = 80;

} // namespace

CTrafficWindow::CTrafficWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_log(this)
    , m_view(new QTableView(this))
    , m_pause(new QPushButton("暂停", this))
    , m_logToFile(new QCheckBox("记录到文件", this))
    , m_count(new QLabel(this))
{
    CInputGuard::KeepLive(this); // it shows the frames of a running exchange as they go
    setWindowTitle("通讯记录 - VELOR");
    setWindowIcon(LoadIconResource(128));

    auto* clear = new QPushButton("清除", this);
    auto* save = new QPushButton("保存...", this);
    m_pause->setCheckable(true);
    connect(m_pause, &QPushButton::toggled, this, &CTrafficWindow::SetPaused);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_pending.clear();
        m_log.Clear();
        UpdateCount();
    });
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &CTrafficWindow::Flush);
    connect(save, &QPushButton::clicked, this, [this] {
        if (std::exchange(m_savePending, true))
            return; // one save waits for the port already
        AfterExchange([this] {
            m_savePending = false;
            OnSave();
        });
    });
    m_portCheck.setInterval(kPortCheckMs);
    connect(&m_portCheck, &QTimer::timeout, this, &CTrafficWindow::RunIfPortFree);
    m_logToFile->setToolTip(QString("把每一帧连同时间追加到 %1 下当天的文件（年-月-日.log），暂停时也记录").arg(CTrafficFile::Folder()));
    connect(m_logToFile, &QCheckBox::toggled, this, &CTrafficWindow::SetFileLogging);

    // Rows of one fixed height keep adding and scrolling cheap at any length.
    m_view->setModel(&m_log);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setAlternatingRowColors(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const int margin = 3 * fontMetrics().averageCharWidth();
    for (int column = 0; column < CTrafficLog::ColumnCount - 1; ++column) {
        const QString header = m_log.headerData(column, Qt::Horizontal).toString();
        const int widest = std::max(fontMetrics().horizontalAdvance(QString::fromUtf8(kWidestTexts[column])),
                                    fontMetrics().horizontalAdvance(header));
        m_view->setColumnWidth(column, widest + margin);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(clear);
    buttons->addWidget(save);
    buttons->addWidget(m_logToFile);
    buttons->addStretch();
    buttons->addWidget(m_count);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_view);
    // Wide enough for frames of 80 characters, the status page's longest reply.
    const QFontMetrics frameMetrics(CTrafficLog::FrameFont());
    int width = 2 * margin + frameMetrics.horizontalAdvance(QString(kFrameChars, 'F'));
    for (int column = 0; column < CTrafficLog::ColumnCount - 1; ++column)
        width += m_view->columnWidth(column);
    resize(width, 36 * fontMetrics().height());
    UpdateCount();
}

CTrafficWindow::~CTrafficWindow()
{
    Listen(false);
}

void CTrafficWindow::Record(TrafficEntry entry)
{
    if (m_fileLogging)
        WriteToFile(entry);
    if (m_paused)
        return;
    m_pending.push_back(std::move(entry));
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void CTrafficWindow::Flush()
{
    m_flushTimer.stop();
    if (m_pending.empty())
        return;
    // Follows the newest frame unless the technician has scrolled away from it.
    const QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_log.Add(std::exchange(m_pending, {}));
    if (atEnd)
        m_view->scrollToBottom();
    UpdateCount();
}

void CTrafficWindow::SetPaused(bool paused)
{
    m_paused = paused;
    const QSignalBlocker blocker(m_pause);
    m_pause->setChecked(paused);
    m_pause->setText(paused ? "继续" : "暂停");
    UpdateCount();
}

void CTrafficWindow::SetFileLogging(bool on)
{
    m_fileLogging = on;
    const QSignalBlocker blocker(m_logToFile);
    m_logToFile->setChecked(on);
    if (!on)
        m_file.Close();
    Listen(isVisible() || on);
    UpdateCount();
}

// A file that cannot be written stops the logging and says why, once, after
// the exchange whose frame it was.
void CTrafficWindow::WriteToFile(const TrafficEntry& entry)
{
    const QString path = m_file.CurrentPath();
    if (!m_file.Append(entry)) {
        SetFileLogging(false);
        AfterExchange([error = m_file.Error()] { VelorMessageBox(error, MB_OK | MB_ICONERROR); });
    } else if (m_file.CurrentPath() != path) {
        UpdateCount();
    }
}

void CTrafficWindow::UpdateCount()
{
    QString text = QString("%1 帧（最多保留 %2 帧）").arg(m_log.rowCount()).arg(CTrafficLog::kMaxRows);
    if (m_paused)
        text += "，已暂停";
    if (m_fileLogging)
        text += "，记录到 " + (m_file.CurrentPath().isEmpty() ? CTrafficFile::Folder() : m_file.CurrentPath());
    m_count->setText(text);
}

void CTrafficWindow::AfterExchange(std::function<void()> action)
{
    m_afterExchange.push_back(std::move(action));
    m_portCheck.start();
}

// Checked on a timer, which also fires inside an exchange's wait: there the
// port is still held and the actions wait for the next check.
void CTrafficWindow::RunIfPortFree()
{
    if (g_port.m_busy)
        return;
    m_portCheck.stop();
    for (const auto& action : std::exchange(m_afterExchange, {}))
        action();
}

void CTrafficWindow::OnSave()
{
    const QString suggested = QDateTime::currentDateTime().toString("'velor-traffic-'yyyyMMdd-HHmmss'.txt'");
    const QString path = QFileDialog::getSaveFileName(this, "保存通讯记录", suggested, "文本文件 (*.txt)");
    if (!path.isEmpty())
        SaveTo(path);
}

bool CTrafficWindow::SaveTo(const QString& path)
{
    Flush();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        for (int row = 0; row < m_log.rowCount(); ++row)
            out << m_log.RowText(row) << '\n';
        out.flush();
        if (file.commit())
            return true;
    }
    VelorMessageBox(QString("无法保存 %1：%2").arg(path, file.errorString()), MB_OK | MB_ICONERROR);
    return false;
}

void CTrafficWindow::showEvent(QShowEvent* event)
{
    Listen(true);
    QWidget::showEvent(event);
}

// Minimizing hides the window for the window system only; it still counts as
// shown (isVisible) and keeps listening, so the list has no gap when restored.
void CTrafficWindow::hideEvent(QHideEvent* event)
{
    Listen(isVisible() || m_fileLogging);
    QWidget::hideEvent(event);
}

void CTrafficWindow::Listen(bool on)
{
    if (on == m_listening)
        return;
    m_listening = on;
    if (!on) {
        CLineTap::SetListener({});
        return;
    }
    CLineTap::SetListener([this](const CLineTap::Frame& frame) {
        Record({QDateTime::currentMSecsSinceEpoch(), frame.sent, frame.baud,
                QByteArray(frame.bytes.data(), static_cast<qsizetype>(frame.bytes.size())), frame.unsolicited,
                frame.note ? QString::fromUtf8(frame.note) : QString()});
    });
}
