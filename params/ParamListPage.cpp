#include "params/ParamListPage.h"

#include "app/ListView.h"
#include "app/MessageBox.h"
#include "app/TemplateLoader.h"
#include "app/WaitCursor.h"
#include "dialogs/ValueDlg.h"
#include "link/BusyScope.h"
#include "link/FrameBuffer.h"
#include "params/ParamFile.h"
#include "params/ParamFileDialog.h"

#include <QDir>
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

// FR '3' resets every parameter; the board takes its time before it answers.
CExchange::Request ResetRequest()
{
    return {.build = [] { g_request.BuildCharArg(kControllerAddress, 'F', 'R', '3'); },
            .waitMs = 5000,
            .maxCount = 40,
            .test = Acceptance::NotRefused,
            .ackPos = 6};
}

// A file's record goes out once; only a reply with the write's letters and
// without the acknowledgement counts as a refusal.
CExchange::Request RecordWriteRequest(const ParamRecord& record, int ackPos)
{
    return {.build = [record] { g_request.BuildByteWordArg(kControllerAddress, 'F', '5', record.number, record.value); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::NotRefused,
            .ackPos = ackPos};
}

} // namespace

CParamListPage::CParamListPage(const Layout& layout, QWidget* parent)
    : CPage(layout.templateId, parent)
    , m_layout(layout)
    , m_list(Control<QTreeWidget>(this, kListId))
{
    InsertColumn(m_list, 0, "编号", kNumberColumnWidth, Qt::AlignCenter);
    InsertColumn(m_list, kValueColumn, "参数", layout.valueColumnWidth, Qt::AlignCenter);
    InsertColumn(m_list, kTextColumn, "说明", layout.textColumnWidth);
    connect(m_list, &QTreeWidget::clicked, this, &CParamListPage::OnListClick);
    const auto onClick = [this](int id, void (CParamListPage::*handler)()) {
        connect(Control<QPushButton>(this, id), &QPushButton::clicked, this, handler);
    };
    onClick(kRefreshButtonId, &CParamListPage::OnRefreshButton);
    onClick(kResetButtonId, &CParamListPage::OnResetButton);
    onClick(kSaveButtonId, &CParamListPage::OnSaveButton);
    onClick(kImportButtonId, &CParamListPage::OnImportButton);
}

// The parameters are read once; refresh, reset and import empty the list so
// that the next focus reads them again.
void CParamListPage::OnSetFocus()
{
    CPage::OnSetFocus();
    if (RowCount(m_list) == 0)
        ReadAll();
}

CExchange::Request CParamListPage::ReadRequest(int n)
{
    return {.build = [n] { g_request.BuildByteArg(kControllerAddress, 'A', '5', n); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::ValidFrameLetters,
            .minCount = kValueReplyLength};
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

// One-byte parameters carry their value in the first two digits only.
int CParamListPage::ReplyValue(int n) const
{
    const char* value = g_reply.Data() + kValuePos;
    return Catalogue().IsOneByte(n) ? ParseHex2(value) : ParseHex4(value);
}

void CParamListPage::InsertReadRow(int n)
{
    const int echoed = ParseHex2(g_reply.Data() + kEchoedNumberPos);
    const int row = InsertRow(m_list, n, QString("F%1").arg(echoed), n);
    SetRowText(m_list, row, kValueColumn, QString::number(ReplyValue(n)));
    const QString text = Catalogue().Text(n);
    SetRowText(m_list, row, kTextColumn, text);
    m_list->topLevelItem(row)->setToolTip(kTextColumn, text.trimmed()); // the whole of a text the column cuts
}

void CParamListPage::ReadBack(int n)
{
    CExchange::Request read = ReadRequest(n);
    read.attempts = 2;
    read.pauseBeforeMs = m_layout.readBackPauseMs;
    if (!CExchange::Run(read))
        return;
    const int row = FindRowByItemData(m_list, n);
    if (row >= 0)
        SetRowText(m_list, row, kValueColumn, QString::number(ReplyValue(n)));
}

QString CParamListPage::ValueText(int n) const
{
    return RowText(m_list, FindRowByItemData(m_list, n), kValueColumn);
}

QString CParamListPage::Description(int n) const
{
    return RowText(m_list, FindRowByItemData(m_list, n), kTextColumn);
}

void CParamListPage::OnListClick()
{
    const int row = SelectedRow(m_list);
    if (RowCount(m_list) > 0 && row >= 0)
        Edit(RowItemData(m_list, row));
}

void CParamListPage::OnRefreshButton()
{
    DeleteAllRows(m_list);
    GiveFocus();
}

// The failure message stands while the port is still held: the reset is one
// operation up to the list's new read.
void CParamListPage::OnResetButton()
{
    {
        const CBusyScope busy;
        CWaitCursor wait;
        const bool reset = CExchange::Run(ResetRequest());
        wait.Restore();
        if (!reset)
            VelorMessageBox("复位F参数失败");
    }
    DeleteAllRows(m_list);
    GiveFocus();
}

// A file is chosen only for a list that was read: nothing to save before,
// and nothing to tell the import how many records to write.
QString CParamListPage::ChooseFile(bool save)
{
    if (RowCount(m_list) == 0)
        return {};
    return ChooseParamFile(this, {.save = save, .baseName = QString::fromUtf8(m_layout.fileName)});
}

void CParamListPage::OnSaveButton()
{
    const QString path = ChooseFile(true);
    if (path.isEmpty())
        return;
    std::vector<ParamRecord> records;
    for (int row = 0; row < RowCount(m_list); ++row)
        records.push_back({RowItemData(m_list, row), ParamValueOfText(RowText(m_list, row, kValueColumn))});
    QString error;
    if (!CParamFile::Save(path, records, error))
        VelorMessageBox(error, MB_ICONERROR);
}

// Writes the file's records in file order, as many as the list has rows, and
// stops at the first refused one; its message tells how far the import got.
// The list is read again in any case, unless the file could not be read at
// all.
void CParamListPage::OnImportButton()
{
    const QString path = ChooseFile(false);
    if (path.isEmpty())
        return;
    std::vector<ParamRecord> records;
    QString error;
    if (!CParamFile::Load(path, RowCount(m_list), records, error)) {
        VelorMessageBox(error, MB_ICONERROR);
        return;
    }
    size_t written = 0;
    {
        const CWaitCursor wait;
        const CBusyScope busy;
        while (written < records.size() && CExchange::Run(RecordWriteRequest(records[written], m_layout.importAckPos)))
            ++written;
    }
    if (written < records.size()) {
        const int failed = records[written].number;
        VelorMessageBox(QString("写F%1参数失败").arg(failed), MB_OK, {},
                        QString("文件 %1 的 %2 条记录中，前 %3 条已写入控制器；F%4 的写入未得到确认，其后的记录未写入。")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(records.size())
                            .arg(written)
                            .arg(failed));
    }
    DeleteAllRows(m_list);
    GiveFocus();
}

// The text comes back as typed; its value is written as the list shows values.
void CParamListPage::EditValue(int n)
{
    CValueDlg dialog;
    dialog.m_strValue = ValueText(n);
    dialog.m_strPrompt = Description(n);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CExchange::Run(WriteRequest(n, ParamValueOfText(dialog.m_strValue)));
    ReadBack(n);
}
