// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameAssembler.h"
#include "params/ParamReviewDlg.h"

#include <QDialog>

#include <functional>

class CPageTab;
class CStatusLine;
class CRideTrack;
class CRecordWindow;
class CRideWindow;
struct KeptParameters;
class CTrafficWindow;

// The main dialog "VELOR": opens the port from the stored settings, hosts the
// tab control with the seven pages, and receives every byte the port forwards:
// it assembles frames, answers fault reports and hands every other frame to
// the page that is shown.
class CMainDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Start-up: settings, port, pages; ends in one of three states (running
    // with pages, or without pages after the serial settings dialog).
    void OnInitDialog();

    // One byte forwarded by the port's monitor thread.
    Q_INVOKABLE void OnCommRxChar(int byte, int portNumber);
    // The port's device went away or is back: every page is told.
    Q_INVOKABLE void OnCommLineChanged(bool up, int portNumber);

    CPageTab* PageTab() const { return m_tab; }
    CStatusLine* StatusLine() const { return m_statusLine; }

    // Opens the traffic window (Ctrl+Shift+T, or the tab bar's context menu).
    void ShowTrafficWindow();
    CTrafficWindow* TrafficWindow() const { return m_traffic; }
    static constexpr QKeyCombination kTrafficShortcut{Qt::CTRL | Qt::SHIFT | Qt::Key_T};

    // Opens the ride recorder "运行曲线" (Ctrl+Shift+R, or the tab bar's context menu).
    void ShowRideWindow();
    CRideWindow* RideWindow() const { return m_ride; }
    static constexpr QKeyCombination kRideShortcut{Qt::CTRL | Qt::SHIFT | Qt::Key_R};
    // Where a recording the technician keeps goes (the visit's record); unset,
    // the recorder offers no keeping.
    void SetRideKeepHook(std::function<void(const CRideTrack&, qint64 fromMs, qint64 toMs)> keep);

    // Opens the service record "维护记录" (Ctrl+H, or the tab bar's context menu).
    void ShowRecordWindow();
    CRecordWindow* RecordWindow() const { return m_record; }
    static constexpr QKeyCombination kRecordShortcut{Qt::CTRL | Qt::Key_H};

    void reject() override;

protected:
    // Escape never closes the program: it belongs to the dialogs (and, while
    // an operation runs, stops it: see CInputGuard).
    void keyPressEvent(QKeyEvent* event) override;
    // The tab control takes what the window grows by beyond its designed size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void StartRecording();
    void ShowRecording();
    void OnFrameComplete();
    void OnFaultReport();
    void KeepRide(const CRideTrack& track, qint64 fromMs, qint64 toMs);
    // A kept set reviewed on its board's parameter page (see CRecordWindow).
    void ReviewKept(const QString& board, const KeptParameters& kept, CParamReviewDlg::Mode mode);

    void AddWindowAction(const QString& text, QKeyCombination keys, void (CMainDlg::*show)());
    static void Present(QWidget* window);

    CPageTab* m_tab;
    CStatusLine* m_statusLine; // under the tab control, across the window
    QSize m_designedSize; // the template's and the status line's: the size the window opens at and its least size
    QRect m_tabPlace;     // the tab control's place at the designed size
    CTrafficWindow* m_traffic = nullptr; // made when first opened
    CRideWindow* m_ride = nullptr;       // made when first opened
    CRecordWindow* m_record = nullptr;   // made when first opened
    std::function<void(const CRideTrack&, qint64, qint64)> m_keepRide;
    CFrameAssembler m_assembler;
};
