// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/LiftParamPage.h"
#include "params/ParamEditor.h"

#include "ui/MessageBox.h"
#include "ui/PageOperation.h"
#include "ui/TemplateLoader.h"
#include "dialogs/BitMaskDlg.h"
#include "dialogs/DisplayCodeDlg.h"
#include "dialogs/ICDlg.h"
#include "dialogs/LockoutDlg.h"
#include "link/BusyScope.h"
#include "link/FrameBuffer.h"
#include "params/GenerationProbe.h"

#include <QPushButton>

#include <cstring>
#include <string>

namespace {

constexpr CParamListPage::Layout kLayout{
    .templateId = 135,
    .catalogue = CParamCatalogue::LongRecordMainBoard,
    .valueColumnWidth = 60,
    .textColumnWidth = 300,
    .fileName = "电梯参数",
    .resetQuestion = "复位将重置电梯控制器的全部F参数。\n确定要复位吗？",
    .importAckPos = 5,
    .readBackPauseMs = 0,
};

constexpr int kCardButtonId = 1037;
constexpr int kLockoutParameter = 161;
constexpr int kLockoutWriteWaitMs = 100;

// A bit mask is read before its dialog opens, 100 ms after the request, and
// again 100 ms after a reply with other letters, a wrong checksum or one too
// short to carry the mask: the dialog's OK writes back every bit it opens
// with, so they must be the controller's.
CExchange::Request MaskReadRequest(int n)
{
    CExchange::Request read = CParamListPage::ReadRequest(n);
    read.waitMs = 100;
    read.attempts = 2;
    read.pauseAfterFailureMs = 100;
    return read;
}

CExchange::Request MaskWriteRequest(int n, const char* mask)
{
    CExchange::Request write = CParamListPage::WriteRequest(n, 0);
    write.build = [n, text = std::string(mask, 4)] {
        g_request.BuildByteTextArg(kControllerAddress, 'F', '5', n, text.c_str());
    };
    return write;
}

enum class MaskRead { Silent, Foreign, Read };

// Reads parameter n's mask into mask (four characters and a NUL). A request
// that could not be written leaves no reply behind: that is silence too.
MaskRead ReadMask(int n, char* mask)
{
    g_reply.SetText("");
    if (CExchange::Run(MaskReadRequest(n))) {
        std::memcpy(mask, g_reply.Data() + CParamListPage::kValuePos, CParamListPage::kValueDigits);
        mask[CParamListPage::kValueDigits] = 0;
        return MaskRead::Read;
    }
    return g_reply.Length() == 0 ? MaskRead::Silent : MaskRead::Foreign;
}

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

// Reads every parameter the list does not show yet, with two tries each,
// showing each row as it arrives, after the generation probe: an empty list,
// or one that may not go on from its gap, is read from F0. Without an answer
// to the probe the list stays as it was; a parameter that fails twice ends
// the read with the rows read so far, and so does the technician's 取消. The
// port is released before the caller shows a message.
CParamListPage::ReadResult CLiftParamPage::ReadParameters()
{
    CPageOperation operation(this, "读取参数", Catalogue().Count());
    QByteArray record0;
    if (!ProbeGeneration(m_longFormat, &record0))
        return operation.Cancelled() ? ReadResult::Cancelled : ReadResult::NoAnswer;
    StartRead(record0); // in the generation the probe found
    operation.SetTotal(Catalogue().Count());
    m_reading = true;
    for (const int n : MissingParameters()) {
        if (!m_reading)
            break;
        operation.SetDone(Parameters().ReadCount());
        CExchange::Request read = ReadRequestOf(n);
        read.attempts = 2;
        if (!CExchange::Run(read))
            return operation.Cancelled() ? ReadResult::Cancelled : ReadResult::Failed;
        InsertReadRow(n);
    }
    return ReadResult::Complete;
}

void CLiftParamPage::Edit(int n)
{
    switch (EditorOf(Catalogue().GetKind(), n)) {
    case ParamEditor::Lockout: return EditLockout();
    case ParamEditor::BitMask: return EditBitMask(n);
    case ParamEditor::TelephoneNote: VelorMessageBox("请在一般参数中修改电话号码"); return;
    case ParamEditor::DisplayCode: return EditDisplayCode(n);
    case ParamEditor::Value: return EditValue(n);
    }
}

// After OK the time function's switch is written as the dialog hands it back;
// the row is read again after Cancel too.
void CLiftParamPage::EditLockout()
{
    CLockoutDlg dialog(!ValueText(kLockoutParameter).startsWith('0'));
    if (dialog.exec() == QDialog::Accepted)
        WriteParameter(kLockoutParameter, WriteRequest(kLockoutParameter, dialog.m_bEnable ? 1 : 0, kLockoutWriteWaitMs),
                       dialog.m_bEnable ? 1 : 0);
    ReadBack(kLockoutParameter);
}

// The dialog edits the mask as the controller sent it. Silence before the
// dialog asks for another click; a reply with other letters, a wrong checksum
// or too short to carry the mask skips the dialog and shows the value the
// controller has.
void CLiftParamPage::EditBitMask(int n)
{
    CBitMaskDlg dialog;
    const MaskRead read = ReadMask(n, dialog.m_szMask);
    if (read == MaskRead::Silent) {
        VelorMessageBox("通讯失败，请再点击一次!");
        return;
    }
    if (read == MaskRead::Read) {
        dialog.m_strPrompt = Description(n);
        if (dialog.exec() != QDialog::Accepted)
            return;
        {
            WriteParameter(n, MaskWriteRequest(n, dialog.m_szMask), MaskValue(dialog.m_szMask));
        }
    }
    ReadBack(n);
}

void CLiftParamPage::EditDisplayCode(int n)
{
    CDisplayCodeDlg dialog;
    dialog.m_nCode = Parameters().Value(n).value_or(0);
    dialog.m_strPrompt = Description(n);
    if (dialog.exec() != QDialog::Accepted)
        return;
    WriteParameter(n, WriteRequest(n, dialog.m_nCode), dialog.m_nCode);
    ReadBack(n);
}

void CLiftParamPage::OnCardButton()
{
    CICDlg dialog;
    dialog.exec();
}
