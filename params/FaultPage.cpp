// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/FaultPage.h"

#include "ui/FindBar.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "ui/PageOperation.h"
#include "ui/RowKeys.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "params/CsvReport.h"
#include "params/FaultRecord.h"
#include "params/GenerationProbe.h"
#include "params/ParamCatalogue.h"
#include "record/RecordedWrite.h"

#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>


namespace {

constexpr int kTemplateId = 133;
constexpr int kListId = 1032;
constexpr int kResetButtonId = 1002;
constexpr int kRefreshButtonId = 1003;

// After the designed four columns, each fault's explanation: the text its
// click shows in a message box, readable for the whole log at once.
constexpr int kCodeColumn = 1;
constexpr int kFloorColumn = 2;
constexpr int kTimeColumn = 3;
constexpr int kTextColumn = 4;
constexpr int kTextColumnWidth = 300;

// The request for fault record `number`: a byte on the long-record generation
// (as the generation probe asks for record 0), the single hex digit of the
// number on the short one.
CExchange::Request RecordRequest(int number, bool longForm)
{
    return {.build = [number, longForm] {
                if (longForm)
                    g_request.BuildByteArg(kControllerAddress, 'A', '1', number);
                else
                    g_request.BuildCharArg(kControllerAddress, 'A', '1', "0123456789ABCDEF"[number & 0x0F]);
            },
            .waitMs = 50,
            .maxCount = 80,
            .test = Acceptance::Letters,
            .attempts = 2};
}

CExchange::Request ResetRequest()
{
    return {.build = [] { g_request.BuildCharArg(kControllerAddress, 'F', 'R', '2'); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::LettersAck,
            .ackPos = 6,
            .sendsOnce = true};
}

} // namespace

CFaultPage::CFaultPage(QWidget* parent)
    : CPage(kTemplateId, parent)
    , m_list(Control<QTreeWidget>(this, kListId))
{
    InsertColumn(m_list, 0, "编号", 40, Qt::AlignCenter);
    InsertColumn(m_list, 1, "故障码", 60, Qt::AlignCenter);
    InsertColumn(m_list, 2, "楼层", 40, Qt::AlignCenter);
    InsertColumn(m_list, 3, "时间", 250, Qt::AlignCenter);
    InsertColumn(m_list, kTextColumn, "说明", kTextColumnWidth);
    connect(m_list, &QTreeWidget::clicked, this, &CFaultPage::OnListClick);
    new CRowKeys(m_list, [this] { OnListClick(); });
    new CFindBar(m_list, {kCodeColumn, kTextColumn});
    SetGrowingList(m_list);
    AddExportAction(m_list, [this] { ExportCsv(this, "故障记录", ReportRows()); });
    connect(Control<QPushButton>(this, kResetButtonId), &QPushButton::clicked, this,
            &CFaultPage::OnResetButton);
    connect(Control<QPushButton>(this, kRefreshButtonId), &QPushButton::clicked, this,
            &CFaultPage::OnRefreshButton);
}

// Every focus reads the whole log again. A focus that comes while a read runs
// or while its failure message is open is not a new request and is ignored.
// A failed read is reported; so is a probe without answer when no rows are
// left to show (after 刷新 cleared them), as an empty list would read as "no
// faults". A read the technician stopped says how far it got.
void CFaultPage::OnSetFocus()
{
    CPage::OnSetFocus();
    ReadAndReport(false);
}

void CFaultPage::ReadAndReport(bool continuing)
{
    if (m_reading)
        return;
    const QScopedValueRollback reading(m_reading, true);
    const ReadResult result = ReadFaultLog(continuing);
    KeepInRecord(result);
    if (result == ReadResult::Failed || (result == ReadResult::NoAnswer && RowCount(m_list) == 0))
        VelorMessageBox("通讯失败，请刷新!");
    else if (result == ReadResult::Cancelled)
        VelorMessageBox(StoppedReadMessage("读取故障记录", m_nextRecord, FaultRecord::Count(m_longFormat), true));
}

// Probes record 0 for the generation, then reads every record; going on
// after a read that stopped, reads the records it did not reach, but only
// while the log is the one it stopped in (CReadProgress): otherwise the log
// is read again from record 0. Without an answer to the probe the rows and
// the generation of the previous read stay; a record that fails twice, or the
// technician's 取消, ends the read with the rows read so far. The port is
// released before the caller shows a message.
CFaultPage::ReadResult CFaultPage::ReadFaultLog(bool continuing)
{
    CPageOperation operation(this, "读取故障记录", FaultRecord::Count(m_longFormat));
    QByteArray record0;
    if (!ProbeGeneration(m_longFormat, &record0))
        return operation.Cancelled() ? ReadResult::Cancelled : ReadResult::NoAnswer;
    const int count = FaultRecord::Count(m_longFormat);
    if (!continuing || m_progress.StartOf(record0, m_nextRecord, count) == CReadProgress::Start::FromBeginning) {
        operation.SetTotal(count);
        DeleteAllRows(m_list);
        m_nextRecord = 0;
        m_progress.Began(record0);
    }
    for (; m_nextRecord < count; ++m_nextRecord) {
        operation.SetDone(m_nextRecord);
        if (!CExchange::Run(RecordRequest(m_nextRecord, m_longFormat)))
            return operation.Cancelled() ? ReadResult::Cancelled : ReadResult::Failed;
        AddRecordRow(m_nextRecord);
    }
    return ReadResult::Complete;
}

// Shows the record in g_reply as row `number` (or after the last row); an
// empty record (code 0), or one too short to carry its code, gets no row.
// The row's item data is the fault code.
void CFaultPage::AddRecordRow(int number)
{
    FaultRecord record;
    if (!FaultRecord::Read(m_longFormat, record) || record.code == 0)
        return;
    const int row = InsertRow(m_list, number, record.number, record.code);
    SetRowText(m_list, row, kCodeColumn, QString::number(record.code));
    SetRowText(m_list, row, kFloorColumn, record.floor);
    SetRowText(m_list, row, kTimeColumn, record.time);
    const QString text = CParamCatalogue::FaultText(m_longFormat, record.code);
    SetRowText(m_list, row, kTextColumn, text);
    m_list->topLevelItem(row)->setToolTip(kTextColumn, text); // the whole of a text the column cuts
}

// What the log showed goes into the service record; only a whole read counts
// as the log read in this visit.
void CFaultPage::KeepInRecord(ReadResult result)
{
    if (result == ReadResult::NoAnswer || (result != ReadResult::Complete && RowCount(m_list) == 0))
        return;
    std::vector<CServiceRecord::FaultEntry> entries;
    for (int row = 0; row < RowCount(m_list); ++row)
        entries.push_back({RowText(m_list, row, 0).toInt(), RowItemData(m_list, row), RowText(m_list, row, kTextColumn),
                           RowText(m_list, row, kFloorColumn).toInt(), RowText(m_list, row, kTimeColumn)});
    CServiceRecord::Instance().AddFaults(result == ReadResult::Complete ? "log" : "partial-log", entries);
}

void CFaultPage::OnListClick()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    VelorMessageBox(CParamCatalogue::FaultText(m_longFormat, RowItemData(m_list, row)));
}

void CFaultPage::OnResetButton()
{
    const QString kept = CServiceRecord::Instance().FaultLogReadThisVisit()
                             ? "当前的故障记录已保存在维护记录中。"
                             : "当前的故障记录本次尚未完整读取，未保存在维护记录中；可先选“否”并刷新读取。";
    if (!AskFirst("复位将清除控制器中的全部故障记录。\n" + kept + "\n确定要复位吗？"))
        return;
    CRecordedWrite recorded("lift", "fault-log-reset");
    const bool sent = CExchange::Run(ResetRequest());
    recorded.Done(sent);
    if (sent)
        VelorMessageBox("复位电梯故障记录命令发出成功");
    else
        VelorMessageBox("复位电梯故障记录命令发出失败");
    GiveFocus();
}

// A read that was stopped or failed goes on with the records it did not
// reach while the log is the same; after a whole read the log is read again
// from the start.
void CFaultPage::OnRefreshButton()
{
    if (m_nextRecord < FaultRecord::Count(m_longFormat)) {
        setFocus(Qt::OtherFocusReason);
        ReadAndReport(true);
        return;
    }
    DeleteAllRows(m_list);
    GiveFocus();
}

// Every column the list shows, in the list's order.
QList<QStringList> CFaultPage::ReportRows() const
{
    QStringList header;
    for (int column = 0; column < m_list->columnCount(); ++column)
        header << m_list->headerItem()->text(column);
    QList<QStringList> rows{header};
    for (int row = 0; row < RowCount(m_list); ++row) {
        QStringList fields;
        for (int column = 0; column < m_list->columnCount(); ++column)
            fields << RowText(m_list, row, column);
        rows << fields;
    }
    return rows;
}
