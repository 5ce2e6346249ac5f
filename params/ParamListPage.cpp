// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamListPage.h"

#include "record/RecordedWrite.h"

#include "ui/FindBar.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "ui/PageOperation.h"
#include "ui/RowKeys.h"
#include "dialogs/ValueDlg.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "params/CsvReport.h"
#include "params/ParamEditor.h"
#include "params/ParamFile.h"
#include "params/ParamFileDialog.h"
#include "params/ParamImport.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kListId = 1032;
constexpr int kRefreshButtonId = 1002;
constexpr int kResetButtonId = 1004;
constexpr int kImportButtonId = 1008;
constexpr int kSaveButtonId = 1035;

constexpr int kNumberColumnWidth = 40;
constexpr int kValueColumn = 1;
constexpr int kTextColumn = 2;

constexpr int kRefusedWritePauseMs = 100;

// A frame's STX, address and letters come before its data, its two checksum
// digits and ETX after.
constexpr int kFrameTailChars = 3;

// FR '3' resets every parameter; the board takes its time before it answers.
CExchange::Request ResetRequest()
{
    return {.build = [] { g_request.BuildCharArg(kControllerAddress, 'F', 'R', '3'); },
            .waitMs = 5000,
            .maxCount = 40,
            .test = Acceptance::NotRefused,
            .ackPos = 6,
            .waitIsPause = true,
            .sendsOnce = true};
}

} // namespace

CParamListPage::CParamListPage(const Layout& layout, QWidget* parent)
    : CPage(layout.templateId, parent)
    , m_layout(layout)
    , m_list(Control<QTreeWidget>(this, kListId))
    , m_set(CParamCatalogue(layout.catalogue))
{
    InsertColumn(m_list, 0, "编号", kNumberColumnWidth, Qt::AlignCenter);
    InsertColumn(m_list, kValueColumn, "参数", layout.valueColumnWidth, Qt::AlignCenter);
    InsertColumn(m_list, kTextColumn, "说明", layout.textColumnWidth);
    connect(m_list, &QTreeWidget::clicked, this, &CParamListPage::EditSelectedRow);
    new CRowKeys(m_list, [this] { EditSelectedRow(); });
    new CFindBar(m_list, {kTextColumn});
    SetGrowingList(m_list);
    const auto onClick = [this](int id, void (CParamListPage::*handler)()) {
        connect(Control<QPushButton>(this, id), &QPushButton::clicked, this, handler);
    };
    onClick(kRefreshButtonId, &CParamListPage::OnRefreshButton);
    onClick(kResetButtonId, &CParamListPage::OnResetButton);
    onClick(kSaveButtonId, &CParamListPage::OnSaveButton);
    connect(Control<QPushButton>(this, kImportButtonId), &QPushButton::clicked, this, [this] { ReviewFile(true); });
    auto* compare = new QAction("与参数文件比较(&C)...", m_list);
    connect(compare, &QAction::triggered, this, [this] { ReviewFile(false); });
    m_list->addAction(compare);
    AddExportAction(m_list, [this] { ExportCsv(this, QString::fromUtf8(m_layout.fileName), ReportRows()); });
    // The mark stands between the list and the buttons.
    m_notUpdated = new QLabel(kNotUpdatedMark, this);
    m_notUpdated->setObjectName("notUpdated");
    m_notUpdated->setStyleSheet("color: #b00000; font-weight: bold;");
    const QRect list = m_list->geometry();
    const int buttonsTop = Control<QPushButton>(this, kRefreshButtonId)->geometry().top();
    m_notUpdated->setGeometry(list.left(), list.bottom() + 1, list.width(), buttonsTop - list.bottom() - 1);
    m_notUpdated->hide();
}

// The parameters are read once; refresh, reset and import empty the list so
// that the next focus reads them again.
void CParamListPage::OnSetFocus()
{
    CPage::OnSetFocus();
    if (m_set.IsEmpty())
        ReadAll();
}

CParamListPage::ReadResult CParamListPage::ReadAll()
{
    const CLineState::Counts before = CLineState::Tally();
    const ReadResult result = ReadParameters();
    if (!m_set.IsEmpty())
        CServiceRecord::Instance().AddSnapshot(m_layout.board, m_set.Records(), m_set.IsComplete(), m_set.Count());
    if (result == ReadResult::Failed)
        VelorMessageBox("通讯失败，请刷新!");
    else if (result == ReadResult::Cancelled)
        VelorMessageBox(StoppedReadMessage("读取参数", m_set.ReadCount(), m_set.Count(), true));
    KeepLastRead(before);
    return result;
}

void CParamListPage::KeepLastRead(const CLineState::Counts& before)
{
    const std::optional<CParamSet> lastRead = std::exchange(m_lastRead, std::nullopt);
    const bool gotValues = !m_set.IsEmpty();
    const bool silent = !gotValues && CLineState::HeardNothing(before, CLineState::Tally());
    m_keptOld = !gotValues && lastRead && !lastRead->IsEmpty();
    if (m_keptOld) {
        m_set = *lastRead;
        for (const ParamRecord& record : m_set.Records())
            InsertSetRow(record.number, record.number);
    }
    m_notUpdated->setVisible(m_keptOld || silent);
    if (silent)
        VelorMessageBox(SilenceMessage(), MB_OK | MB_ICONWARNING);
}

QString CParamListPage::SilenceMessage() const
{
    return QString("控制器无应答：请检查连线和波特率（%1）").arg(g_port.Baud());
}

// Kept values are not what the controller holds now: they are read again.
CParamListPage::ReadResult CParamListPage::ReadForReview()
{
    if (m_set.IsComplete() && !m_progress.IsStale() && !m_keptOld)
        return ReadResult::Complete;
    if (m_keptOld)
        return ReadAgain();
    return ReadAll();
}

CParamListPage::ReadResult CParamListPage::ReadAgain()
{
    ClearForNewRead();
    return ReadAll();
}

// After a write (an import, a reset) the values last read are no longer the
// controller's: nothing of them is kept.
void CParamListPage::ReadOnFocus()
{
    ClearRows();
    GiveFocus();
}

void CParamListPage::ClearForNewRead()
{
    if (!m_set.IsEmpty())
        m_lastRead = m_set;
    ClearRows();
}

void CParamListPage::StartRead(const QByteArray& firstReply)
{
    if (m_progress.StartOf(firstReply, m_set.ReadCount(), m_set.Count()) == CReadProgress::Start::FromGap)
        return;
    ClearRows();
    m_progress.Began(firstReply);
}

CExchange::Request CParamListPage::ReadRequest(int n, bool oneByte)
{
    return {.build = [n] { g_request.BuildByteArg(kControllerAddress, 'A', '5', n); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::ValidFrameLetters,
            .minCount = kValuePos + (oneByte ? kOneByteDigits : kValueDigits) + kFrameTailChars};
}

CExchange::Request CParamListPage::WriteRequest(int n, int value, int waitMs)
{
    return {.build = [n, value] { g_request.BuildByteWordArg(kControllerAddress, 'F', '5', n, value); },
            .waitMs = waitMs,
            .maxCount = 20,
            .test = Acceptance::LettersAck,
            .ackPos = 5,
            .attempts = 2,
            .pauseAfterFailureMs = kRefusedWritePauseMs};
}

void CParamListPage::ClearRows()
{
    DeleteAllRows(m_list);
    m_set.Clear(Catalogue());
}

std::vector<int> CParamListPage::MissingParameters() const
{
    std::vector<int> missing;
    for (int n = 0; n < m_set.Count(); ++n)
        if (!m_set.Value(n))
            missing.push_back(n);
    return missing;
}

// One-byte parameters carry their value in the first two digits only.
int CParamListPage::ReplyValue(int n) const
{
    const char* value = g_reply.Data() + kValuePos;
    return Catalogue().IsOneByte(n) ? ParseHex2(value) : ParseHex4(value);
}

void CParamListPage::InsertReadRow(int n)
{
    m_set.SetValue(n, ReplyValue(n));
    InsertSetRow(n, ParseHex2(g_reply.Data() + kEchoedNumberPos));
}

void CParamListPage::InsertSetRow(int n, int shownNumber)
{
    // In number order, also when a read goes on after a gap.
    int row = 0;
    while (row < RowCount(m_list) && RowItemData(m_list, row) < n)
        ++row;
    row = InsertRow(m_list, row, QString("F%1").arg(shownNumber), n);
    ShowValue(row, n);
    const QString text = Catalogue().Text(n);
    SetRowText(m_list, row, kTextColumn, text);
    m_list->topLevelItem(row)->setToolTip(kTextColumn, text.trimmed()); // the whole of a text the column cuts
}

void CParamListPage::ReadBack(int n)
{
    CExchange::Request read = ReadRequestOf(n);
    read.attempts = 2;
    read.pauseBeforeMs = m_layout.readBackPauseMs;
    if (!CExchange::Run(read))
        return;
    const int row = FindRowByItemData(m_list, n);
    if (row < 0)
        return;
    m_set.SetValue(n, ReplyValue(n));
    ShowValue(row, n);
}

void CParamListPage::ShowValue(int row, int n)
{
    SetRowText(m_list, row, kValueColumn, ValueText(n));
    m_list->topLevelItem(row)->setToolTip(kValueColumn, ReadableValue(n));
}

QString CParamListPage::ReadableValue(int n) const
{
    const std::optional<int> value = m_set.Value(n);
    if (!value)
        return {};
    return ReadableParamValue(m_set.Catalogue(), n, *value);
}

// A reply with the write's letters and without the acknowledgement is a
// refusal; anything else left the write unconfirmed.
bool CParamListPage::WriteParameter(int n, const CExchange::Request& write, int newValue)
{
    const std::optional<int> old = m_set.Value(n);
    CRecordedWrite recorded(m_layout.board, "parameter", n, old ? QString::number(*old) : QString(), QString::number(newValue));
    if (CExchange::Run(write)) {
        recorded.Done(CServiceRecord::Outcome::Acknowledged);
        return true;
    }
    const bool refused = g_reply.Length() > 0 && g_reply.Letter1() == 'F' && g_reply.Letter2() == '5';
    recorded.Done(refused ? CServiceRecord::Outcome::Refused : CServiceRecord::Outcome::Unconfirmed);
    VelorMessageBox(QString(refused ? "F%1 写入被拒绝" : "F%1 写入未得到控制器确认").arg(n), MB_OK | MB_ICONWARNING);
    return false;
}

QString CParamListPage::ValueText(int n) const
{
    const std::optional<int> value = m_set.Value(n);
    return value ? QString::number(*value) : QString();
}

// Every parameter read, from the parameter set, as the list shows it, with
// what its value means.
QList<QStringList> CParamListPage::ReportRows() const
{
    QList<QStringList> rows{{"编号", "参数", "可读值", "说明"}};
    for (const ParamRecord& record : m_set.Records())
        rows << QStringList{QString("F%1").arg(record.number), QString::number(record.value),
                            ReadableValue(record.number), m_set.Text(record.number).trimmed()};
    return rows;
}

QString CParamListPage::Description(int n) const
{
    return m_set.Text(n);
}

// A click on a row, or Return / F2 on the selected one.
void CParamListPage::EditSelectedRow()
{
    const int row = SelectedRow(m_list);
    if (!m_set.IsEmpty() && row >= 0)
        Edit(RowItemData(m_list, row));
}

// A read that was stopped or failed goes on with the parameters not shown
// yet; a complete list, and one kept from an earlier read, is read again
// from the start.
void CParamListPage::OnRefreshButton()
{
    if (!m_set.IsEmpty() && !m_set.IsComplete() && !m_keptOld) {
        setFocus(Qt::OtherFocusReason);
        ReadAll();
        return;
    }
    ClearForNewRead();
    GiveFocus();
}

// The failure message stands while the port is still held: the reset is one
// operation up to the list's new read. Once sent it cannot be taken back, so
// it cannot be stopped either.
void CParamListPage::OnResetButton()
{
    if (!AskFirst(QString::fromUtf8(m_layout.resetQuestion)))
        return;
    {
        CPageOperation operation(this, "复位参数", 1, CPageOperation::Stop::NotAllowed);
        CRecordedWrite recorded(m_layout.board, "parameter-reset");
        const bool done = CExchange::Run(ResetRequest());
        recorded.Done(done);
        if (!done)
            VelorMessageBox("复位F参数失败");
    }
    ReadOnFocus();
}

QString CParamListPage::ChooseFile(bool save)
{
    return ChooseParamFile(this, save, QString::fromUtf8(m_layout.fileName));
}

// Only what was read is saved; a list the controller did not fill is saved
// only when the technician says so, as it is no backup of the whole set.
void CParamListPage::OnSaveButton()
{
    if (m_set.IsEmpty())
        return;
    if (!m_set.IsComplete()
        && !AskFirst(QString("只读出了 %1 个参数中的 %2 个，保存的文件将不完整，不能作为完整的参数备份。\n仍要保存吗？")
                         .arg(m_set.Count())
                         .arg(m_set.ReadCount())))
        return;
    const QString path = ChooseFile(true);
    if (path.isEmpty())
        return;
    QString error;
    if (!CParamFile::Save(path, m_set.Records(), error))
        VelorMessageBox(error, MB_ICONERROR);
}

// The file is compared with what the controller holds; only what the
// technician then chooses is written. To compare, the review only shows.
void CParamListPage::ReviewFile(bool mayWrite)
{
    const QString path = ChooseFile(false);
    if (!path.isEmpty())
        CParamImport(*this).Run(path, mayWrite);
}

// The text comes back checked; its value is written as the list shows values.
void CParamListPage::EditValue(int n)
{
    CValueDlg dialog;
    dialog.m_strValue = ValueText(n);
    dialog.m_strPrompt = Description(n);
    dialog.m_nMost = m_set.MostValue(n);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString command = CommandQuestion(n, dialog.m_nValue);
    if (!command.isEmpty() && !AskFirst(command))
        return;
    WriteParameter(n, WriteRequest(n, dialog.m_nValue), dialog.m_nValue);
    if (!command.isEmpty())
        return ReadOnFocus();
    ReadBack(n);
}
