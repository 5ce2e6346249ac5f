#include "app/MainDlg.h"

#include "app/MessageBox.h"
#include "app/Page.h"
#include "app/PageTab.h"
#include "app/PortOpening.h"
#include "app/TemplateLoader.h"
#include "link/Exchange.h"
#include "link/PortChannel.h"
#include "res/Resources.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstring>

namespace {

constexpr int kTabControlId = 1000;

// Positions of the fault code in a fault report.
constexpr int kFaultCodePos1 = 14;
constexpr int kFaultCodePos2 = 15;
// Position of a frame's second letter.
constexpr int kLetter2Pos = 4;

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
    setWindowIcon(LoadIconResource(128));
    memset(m_assembly, 0, sizeof m_assembly);
}

CMainDlg::~CMainDlg()
{
    if (g_port.IsOpen())
        g_port.Close();
}

void CMainDlg::OnInitDialog()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    PortSettings settings;
    if (!ReadPortSettings(settings)) {
        CPortSetupDlg dialog;
        dialog.exec();
        return;
    }
    g_specialCode = settings.specialCode.isEmpty() ? 0 : settings.specialCode[0].toLatin1();
    if (!OpenControllerPort(this, settings, settings.baud)) {
        ReportPortFailure();
        return;
    }
    m_tab->Init();
}

// Closing the window waits until a running exchange has finished with the port.
void CMainDlg::reject()
{
    if (g_port.m_busy)
        return;
    QDialog::reject();
}

void CMainDlg::OnCommRxChar(int byte, int /*portNumber*/)
{
    const char c = static_cast<char>(byte);
    if (c == STX) {
        memset(m_assembly, 0, sizeof m_assembly);
        m_assembly[0] = STX;
        m_assemblyPos = 1;
        return;
    }
    if (m_assemblyPos < 0)
        return;
    // A frame that would not fit the buffer with its ETX and NUL is dropped.
    if (m_assemblyPos >= kFrameBufferSize - 2) {
        DropFrame();
        return;
    }
    // A frame never holds a NUL: line noise spoiled this one.
    if (c == 0) {
        DropFrame();
        return;
    }
    m_assembly[m_assemblyPos++] = c;
    if (c == ETX) {
        m_assembly[m_assemblyPos] = 0;
        const bool carriesLetters = m_assemblyPos > kLetter2Pos + 1;
        m_assemblyPos = -1;
        // A frame that ends before its two letters answers nothing; the
        // letters a page would test are an older reply's.
        if (carriesLetters)
            OnFrameComplete();
    }
}

void CMainDlg::OnCommLineChanged(bool up, int /*portNumber*/)
{
    // A frame cut by the loss of the line never ends.
    if (!up)
        DropFrame();
    for (int i = 0; i < m_tab->TabCount(); ++i)
        if (CPage* page = m_tab->Page(i))
            page->OnLineChanged(up);
}

void CMainDlg::DropFrame()
{
    m_assemblyPos = -1;
}

void CMainDlg::OnFrameComplete()
{
    g_reply.SetText(m_assembly);
    if (g_reply.Letter1() == 'E') {
        OnFaultReport();
        return;
    }
    if (CPage* page = m_tab->CurrentPage())
        page->OnReplyReady();
}

// Shows the fault code of a report; once the technician closes the box the
// controller is told with F6 that the report was seen.
void CMainDlg::OnFaultReport()
{
    const QString code = QString("故障码: %1%2")
                             .arg(QChar::fromLatin1(m_assembly[kFaultCodePos1]))
                             .arg(QChar::fromLatin1(m_assembly[kFaultCodePos2]))
                             .remove(QChar(0));
    VelorMessageBox(code);
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'F', '6'); });
}
