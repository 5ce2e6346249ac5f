#include "params/LiftParamPage.h"

#include "app/MessageBox.h"
#include "app/TemplateLoader.h"
#include "app/WaitCursor.h"
#include "link/BusyScope.h"
#include "link/FrameBuffer.h"
#include "params/GenerationProbe.h"

#include <QPushButton>

namespace {

constexpr CParamListPage::Layout kLayout{
    .templateId = 135,
    .valueColumnWidth = 60,
    .textColumnWidth = 300,
    .fileName = "电梯参数",
    .importAckPos = 5,
    .readBackPauseMs = 0,
};

constexpr int kCardButtonId = 1037;

} // namespace

CLiftParamPage::CLiftParamPage(QWidget* parent)
    : CParamListPage(kLayout, parent)
{
    connect(Control<QPushButton>(this, kCardButtonId), &QPushButton::clicked, this, &CLiftParamPage::OnCardButton);
}

void CLiftParamPage::OnKillFocus()
{
    CParamListPage::OnKillFocus();
    m_reading = false;
}

void CLiftParamPage::ReadAll()
{
    if (ReadParameters() == ReadResult::Failed)
        VelorMessageBox("通讯失败，请刷新!");
}

// Probes the generation, then reads every parameter with two tries each,
// showing each row as it arrives. Without an answer to the probe the list
// stays empty; a parameter that fails twice ends the read with the rows read
// so far. The wait cursor goes and the port is released before the caller
// shows a message.
CLiftParamPage::ReadResult CLiftParamPage::ReadParameters()
{
    const CBusyScope busy;
    const CWaitCursor wait;
    if (!ProbeGeneration(m_longFormat))
        return ReadResult::NoAnswer;
    m_reading = true;
    for (int n = 0; n < Catalogue().Count() && m_reading; ++n) {
        CExchange::Request read = ReadRequest(n);
        read.attempts = 2;
        if (!CExchange::Run(read))
            return ReadResult::Failed;
        InsertReadRow(n);
    }
    return ReadResult::Complete;
}

void CLiftParamPage::Edit(int n)
{
    (void)n; // the editors follow with the dialogs
}

void CLiftParamPage::OnCardButton()
{
}
