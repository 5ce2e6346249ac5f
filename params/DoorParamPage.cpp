// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/DoorParamPage.h"

#include "ui/PageOperation.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"

namespace {

// A file's record counts as confirmed by the 'F' at reply position 5, where
// this page's own writes and every other F5 write find it: the short
// acknowledgement frame ends with its checksum at positions 6 and 7.
constexpr CParamListPage::Layout kLayout{
    .templateId = 136,
    .catalogue = CParamCatalogue::DoorMachine,
    .valueColumnWidth = 50,
    .textColumnWidth = 330,
    .fileName = "门机参数",
    .resetQuestion = "复位将重置门机的全部参数。\n确定要复位吗？",
    .importAckPos = 5,
    .readBackPauseMs = 50,
    .board = "door",
};

constexpr int kSettleMs = 100;

// F0 holds the door machine's version; 9999 written there restores the
// defaults of every parameter ("版本号(输入9999恢复默认值，199保存参数)").
constexpr int kVersionParameter = 0;
constexpr int kRestoreDefaultsCommand = 9999;

// A read reply that carries a parameter: a right checksum, the letters A5 and
// the whole value (a reply of 12 or 13 characters would hand its checksum over
// as value digits).
bool IsUsableReply()
{
    return g_reply.IsValidFrame() && g_reply.Letter1() == 'A' && g_reply.Letter2() == '5'
        && g_reply.Carries(CParamListPage::kValuePos, CParamListPage::kValueDigits);
}

} // namespace

CDoorParamPage::CDoorParamPage(QWidget* parent)
    : CParamListPage(kLayout, parent)
{
}

// One try per parameter the list does not show yet. Silence ends the read
// (the door machine is taken to be gone), and so does the technician's 取消; a
// garbled reply leaves only its parameter out. No message. The door machine
// has no generation probe: a read goes on from its gap while the line stayed
// up.
CParamListPage::ReadResult CDoorParamPage::ReadParameters()
{
    CPageOperation operation(this, "读取参数", Catalogue().Count());
    CExchange::Sleep(kSettleMs);
    StartRead({});
    for (const int n : MissingParameters()) {
        operation.SetDone(Parameters().ReadCount());
        CExchange::Request read = ReadRequest(n);
        read.test = Acceptance::Count; // any answer: the door machine is there
        read.minCount = 0;
        if (!CExchange::Run(read))
            return operation.Cancelled() ? ReadResult::Cancelled : ReadResult::NoAnswer;
        if (IsUsableReply())
            InsertReadRow(n);
    }
    return ReadResult::Complete;
}

// The door machine has a rate of its own, set apart from the main board's.
QString CDoorParamPage::SilenceMessage() const
{
    return QString("控制器无应答：请检查连线和门机波特率（%1，在“串口设置” → “门机波特率”中设置）").arg(g_port.Baud());
}

void CDoorParamPage::Edit(int n)
{
    EditValue(n);
}

QString CDoorParamPage::CommandQuestion(int n, int value) const
{
    if (n != kVersionParameter || value != kRestoreDefaultsCommand)
        return {};
    return QString("F%1 写入 %2 将使门机的全部参数恢复为出厂默认值，现有设置全部丢失。\n确定要写入吗？")
        .arg(n)
        .arg(value);
}
