// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainDlg.h"

#include "ui/MessageBox.h"
#include "ui/Page.h"
#include "app/PageTab.h"
#include "app/PortOpening.h"
#include "record/ServiceRecord.h"
#include "app/StatusLine.h"
#include "app/RecordWindow.h"
#include "app/RideWindow.h"
#include "app/TrafficWindow.h"
#include "ui/TemplateLoader.h"
#include "link/Cancel.h"
#include "link/Exchange.h"
#include "link/FastLine.h"
#include "link/LineState.h"
#include "link/LineTap.h"
#include "link/PortChannel.h"
#include "pages/RideCsv.h"
#include "pages/RideLog.h"
#include "params/LiftParamPage.h"
#include "params/ParamImport.h"
#include "res/Resources.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kTabControlId = 1000;

// How often a close asked for during an operation looks again for the port.
constexpr int kCloseRetryMs = 20;

// Position of the fault code's two characters in a fault report.
constexpr int kFaultCodePos = 14;

} // namespace

CMainDlg::CMainDlg(QWidget* parent)
    : QDialog(parent)
{
    CTemplateLoader::Load(102, this);
    // The template's tab control becomes the page tab, in the same place.
    QWidget* placeholder = Control<QWidget>(this, kTabControlId);
    m_tab = new CPageTab(this, this);
    m_tab->setObjectName(ControlName(kTabControlId));
    if (placeholder) {
        m_tab->setGeometry(placeholder->geometry());
        delete placeholder;
    }
    // The window opens at its designed size, the template's with the status
    // line under it, and may be resized and maximised from there; the pages
    // keep their designed layout at that size.
    m_statusLine = new CStatusLine(this);
    m_designedSize = size() + QSize(0, m_statusLine->sizeHint().height());
    resize(m_designedSize);
    m_tabPlace = m_tab->geometry();
    m_tab->SetDesignedSize(m_tabPlace.size());
    setMinimumSize(m_designedSize);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowIcon(LoadIconResource(128));
    AddWindowAction("通讯记录(&T)", kTrafficShortcut, &CMainDlg::ShowTrafficWindow);
    AddWindowAction("运行曲线(&R)", kRideShortcut, &CMainDlg::ShowRideWindow);
    AddWindowAction("维护记录(&H)", kRecordShortcut, &CMainDlg::ShowRecordWindow);
}

void CMainDlg::ShowRecordWindow()
{
    if (!m_record) {
        m_record = new CRecordWindow(this);
        m_record->SetReviewHook([this](const QString& board, const KeptParameters& kept, CParamReviewDlg::Mode mode) {
            ReviewKept(board, kept, mode);
        });
    }
    Present(m_record);
}

// The page of the board is shown (and reads its list when empty); its review
// reads the controller's values fresh before anything is written.
void CMainDlg::ReviewKept(const QString& board, const KeptParameters& kept, CParamReviewDlg::Mode mode)
{
    const int index = board == "door" ? CPageTab::kDoorPage : CLiftParamPage::kPageIndex;
    if (m_tab->TabCount() <= index)
        return;
    m_tab->SelectTab(index);
    if (auto* page = dynamic_cast<CParamListPage*>(m_tab->Page(index)))
        CParamImport(*page).Review({kept.records, {}, 0}, kept.name, mode);
}

void CMainDlg::KeepRide(const CRideTrack& track, qint64 fromMs, qint64 toMs)
{
    const QString kept = CServiceRecord::Instance().AddRideRecording(QString::fromUtf8(RideCsv::Bytes(track, fromMs, toMs)));
    VelorMessageBox(kept.isEmpty() ? "运行曲线未能保留到维护记录。" : "运行曲线已保留到本次维护的记录中。");
}

// A window's entry: a shortcut anywhere in the main window and an item of
// the tab bar's context menu.
void CMainDlg::AddWindowAction(const QString& text, QKeyCombination keys, void (CMainDlg::*show)())
{
    auto* action = new QAction(text, m_tab);
    action->setShortcut(QKeySequence(keys));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, show);
    m_tab->addAction(action);
}

void CMainDlg::ShowTrafficWindow()
{
    if (!m_traffic)
        m_traffic = new CTrafficWindow(this);
    Present(m_traffic);
}

void CMainDlg::ShowRideWindow()
{
    if (!m_ride) {
        m_ride = new CRideWindow(this);
        m_ride->SetKeepHook(m_keepRide);
    }
    Present(m_ride);
}

void CMainDlg::SetRideKeepHook(std::function<void(const CRideTrack&, qint64, qint64)> keep)
{
    m_keepRide = std::move(keep);
    if (m_ride)
        m_ride->SetKeepHook(m_keepRide);
}

void CMainDlg::Present(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

CMainDlg::~CMainDlg()
{
    if (g_port.IsOpen())
        g_port.Close();
    CServiceRecord::Instance().EndVisit();
    CCancel::SetClosing(false);
}

void CMainDlg::OnInitDialog()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Settings that cannot be read are named first; without usable settings,
    // including a special code that would cut every request short, the
    // serial settings dialog comes up as on the first run.
    PortSettings settings;
    QString problem;
    const bool read = ReadPortSettings(settings, &problem);
    if (!problem.isEmpty())
        VelorMessageBox("无法读取串口设置：" + problem, MB_OK | MB_ICONWARNING);
    if (!read || !IsUsableSpecialCode(settings.specialCode)) {
        CPortSetupDlg dialog;
        dialog.exec();
        return;
    }
    g_specialCode = settings.specialCode[0].toLatin1();
    CFastLine::SetEnabled(settings.fastLine);
    m_statusLine->SetPort(settings.port, m_tab);
    if (!OpenControllerPort(this, settings, settings.baud)) {
        ReportPortFailure();
        return;
    }
    StartRecording();
    m_tab->Init();
}

// Closing the window ends the program: an operation that runs stops at its
// next exchange boundary, and nothing further starts (no message box, no
// dialog, no read, no frame: see CCancel::Closing). Once the port is free the
// dialogs still open are closed, so that whatever runs them returns, and the
// window closes.
// A visit of the service record runs while the port is open. A record that
// cannot be written says so once and in the window title; the work goes on.
void CMainDlg::StartRecording()
{
    CServiceRecord::SetMessageHandler([this](const QString& text) {
        VelorMessageBox(text, MB_OK | MB_ICONWARNING);
        ShowRecording();
    });
    CServiceRecord::Instance().StartVisit();
    ShowRecording();
    SetRideKeepHook([this](const CRideTrack& track, qint64 fromMs, qint64 toMs) { KeepRide(track, fromMs, toMs); });
}

void CMainDlg::ShowRecording()
{
    static const QString kNotRecorded = " — 未记录";
    QString title = windowTitle();
    if (title.endsWith(kNotRecorded))
        title.chop(kNotRecorded.size());
    setWindowTitle(CServiceRecord::Instance().IsRecording() && !CServiceRecord::Instance().IsReadOnly() ? title : title + kNotRecorded);
}

void CMainDlg::reject()
{
    CCancel::SetClosing(true);
    if (g_port.m_busy) {
        QTimer::singleShot(kCloseRetryMs, this, &CMainDlg::reject);
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog != this && dialog->isVisible())
            dialog->reject();
    QDialog::reject();
}

void CMainDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QSize growth = size() - m_designedSize;
    m_tab->setGeometry(m_tabPlace.adjusted(0, 0, growth.width(), growth.height()));
    const int lineHeight = m_statusLine->sizeHint().height();
    m_statusLine->setGeometry(0, height() - lineHeight, width(), lineHeight);
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::OnCommRxChar(int byte, int /*portNumber*/)
{
    if (m_assembler.Feed(static_cast<char>(byte)))
        OnFrameComplete();
}

void CMainDlg::OnCommLineChanged(bool up, int /*portNumber*/)
{
    // A frame cut by the loss of the line never ends.
    if (!up)
        m_assembler.DropFrame();
    CLineState::SetLineUp(up);
    // The cable may come back on another lift: its return is a new visit.
    if (!up)
        CServiceRecord::Instance().EndVisit();
    else if (CServiceRecord::Instance().CurrentVisit().isEmpty())
        CServiceRecord::Instance().StartVisit();
    m_statusLine->Refresh();
    for (int i = 0; i < m_tab->TabCount(); ++i)
        if (CPage* page = m_tab->Page(i))
            page->OnLineChanged(up);
}

void CMainDlg::OnFrameComplete()
{
    g_reply.SetText(m_assembler.Frame());
    const bool faultReport = g_reply.Letter1() == 'E';
    CLineTap::Report({false, m_assembler.FrameBytes(), g_port.Baud(), faultReport});
    if (faultReport) {
        OnFaultReport();
        return;
    }
    if (CPage* page = m_tab->CurrentPage())
        page->OnReplyReady();
}

// Shows the fault code of a report; once the technician closes the box the
// controller is told with F6 that the report was seen.
// A report too short to carry its code is dropped: it would show an empty
// or stale code and hold up every later frame until its box is closed.
void CMainDlg::OnFaultReport()
{
    if (!g_reply.Carries(kFaultCodePos, 2))
        return;
    const QString code = QString::fromLatin1(g_reply.Data() + kFaultCodePos, 2);
    g_rideLog.AddFault(code);
    CServiceRecord::Instance().AddFaults("report", {{0, code.toInt(), "故障码: " + code, 0, CServiceRecord::Now()}});
    VelorMessageBox("故障码: " + code);
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'F', '6'); });
}
