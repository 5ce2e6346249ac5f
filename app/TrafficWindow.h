// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrafficFile.h"
#include "app/TrafficLog.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

// The traffic window "通讯记录": every frame on the serial line, both ways,
// as it happens. Pause stops recording, clear empties the list, save writes
// it to a text file. "记录到文件" (off at start) appends every frame to the
// day's log file (CTrafficFile), paused or not. It listens to the line while
// it is shown (minimized too) or logging to the file, so a closed window that
// does not log costs nothing.
class CTrafficWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CTrafficWindow(QWidget* parent = nullptr);
    ~CTrafficWindow() override;

    // Lists one frame unless paused, and appends it to the log file when
    // logging. Frames are collected and added to the list a few times a
    // second, so a busy line costs the pages little time.
    void Record(TrafficEntry entry);
    // Adds the collected frames now.
    void Flush();
    // Writes the list as text, one frame a line; false after telling the user why not.
    bool SaveTo(const QString& path);

    CTrafficLog* Log() { return &m_log; }
    QTableView* View() const { return m_view; }
    static constexpr int kFlushMs = 200;
    bool IsPaused() const { return m_paused; }
    void SetPaused(bool paused);
    // Starts or stops appending every frame to the log file.
    void SetFileLogging(bool on);
    bool IsFileLogging() const { return m_fileLogging; }
    const CTrafficFile& File() const { return m_file; }
    // The window stays live during exchanges, but a file dialog or a message
    // box runs an event loop of its own: opened inside an exchange's wait it
    // would keep the exchange waiting with the port held. What opens one
    // (保存, a log file's error) runs once no exchange holds the port, never
    // from inside a frame's report.
    void AfterExchange(std::function<void()> action);
    static constexpr int kPortCheckMs = 20;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Listen(bool on);
    void WriteToFile(const TrafficEntry& entry);
    void OnSave();
    void UpdateCount();
    void RunIfPortFree();

    CTrafficLog m_log;
    std::vector<TrafficEntry> m_pending; // recorded, not yet in the list
    QTimer m_flushTimer;
    QTimer m_portCheck;
    std::vector<std::function<void()>> m_afterExchange;
    QTableView* m_view;
    QPushButton* m_pause;
    QCheckBox* m_logToFile;
    QLabel* m_count;
    CTrafficFile m_file;
    bool m_paused = false;
    bool m_fileLogging = false;
    bool m_listening = false;
    bool m_savePending = false;
};
