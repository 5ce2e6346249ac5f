// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamImport.h"

#include "record/RecordedWrite.h"

#include "ui/MessageBox.h"
#include "ui/PageOperation.h"
#include "link/FrameBuffer.h"
#include "params/ParamFile.h"
#include "params/ParamListPage.h"
#include "params/ParamReviewDlg.h"

#include <QDir>

namespace {

// A file's record goes out once (a reply the fast line missed is made up for
// at the designed pace: the same value written twice changes nothing); only a
// reply with the write's letters and without the acknowledgement counts as a
// refusal.
CExchange::Request RecordWriteRequest(const ParamRecord& record, int ackPos)
{
    return {.build = [record] { g_request.BuildByteWordArg(kControllerAddress, 'F', '5', record.number, record.value); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::NotRefused,
            .ackPos = ackPos};
}

QString ParameterList(const std::vector<int>& numbers)
{
    QStringList names;
    for (const int n : numbers)
        names << QString("F%1").arg(n);
    return names.join("、");
}

} // namespace

CParamImport::CParamImport(CParamListPage& page)
    : m_page(page)
{
}

// A read before the review that the technician stopped opens no review; one
// that found nothing has said why. 重新读取 in the review reads every value
// again and reviews the file anew.
void CParamImport::Run(const QString& path, bool mayWrite)
{
    ParamFileContents contents;
    QString error;
    if (!CParamFile::Load(path, contents, error)) {
        VelorMessageBox(error, MB_ICONERROR);
        return;
    }
    Review(contents, path, mayWrite ? CParamReviewDlg::Mode::Import : CParamReviewDlg::Mode::Compare);
}

// A restore offers only the checked rows: values kept in the record are never
// written blind.
void CParamImport::Review(const ParamFileContents& contents, const QString& path, CParamReviewDlg::Mode mode)
{
    using Result = CParamListPage::ReadResult;
    for (Result read = m_page.ReadForReview();; read = m_page.ReadAgain()) {
        if (read == Result::Cancelled || m_page.Parameters().IsEmpty() || m_page.IsNotUpdated())
            return;
        const CParamComparison comparison(contents, m_page.Parameters());
        CParamReviewDlg review(comparison, m_page.Parameters(), m_page.Progress().ReadAt(), path, mode, &m_page);
        review.exec();
        switch (review.Chosen()) {
        case CParamReviewDlg::Choice::Nothing: return;
        case CParamReviewDlg::Choice::ReadAgain: continue;
        case CParamReviewDlg::Choice::Checked: return WriteChecked(review.Checked());
        case CParamReviewDlg::Choice::WholeFile: return WriteWholeFile(contents, comparison.WholeFileCount(), path);
        }
    }
}

// One record of a file written, its intent in the service record before the
// frame goes out and its outcome after.
bool CParamImport::WriteRecorded(const ParamRecord& record, int ackPos)
{
    const std::optional<int> old = m_page.Parameters().Value(record.number);
    CRecordedWrite recorded(m_page.PageLayout().board, "parameter", record.number,
                            old ? QString::number(*old) : QString(), QString::number(record.value));
    const bool written = CExchange::Run(RecordWriteRequest(record, ackPos));
    recorded.Done(written);
    return written;
}

void CParamImport::WriteWholeFile(const ParamFileContents& contents, int count, const QString& path)
{
    const int ackPos = m_page.PageLayout().importAckPos;
    int written = 0;
    bool cancelled = false;
    {
        CPageOperation operation(&m_page, "写入参数", count);
        while (written < count && WriteRecorded(contents.records[written], ackPos))
            operation.SetDone(++written);
        cancelled = operation.Cancelled();
    }
    const QString file = QDir::toNativeSeparators(path);
    if (cancelled)
        VelorMessageBox(QString("导入已取消：文件 %1 的 %2 条记录中，前 %3 条已写入控制器，其后的记录未写入。")
                            .arg(file)
                            .arg(count)
                            .arg(written));
    else if (written < count) {
        const int failed = contents.records[written].number;
        VelorMessageBox(QString("写F%1参数失败").arg(failed), MB_OK, {},
                        QString("文件 %1 的 %2 条记录中，前 %3 条已写入控制器；F%4 的写入未得到确认，其后的记录未写入。")
                            .arg(file)
                            .arg(count)
                            .arg(written)
                            .arg(failed));
    }
    m_page.ReadOnFocus();
}

// The rows of the records sent are read back in an operation of their own,
// so that they show the controller's values also after a 取消.
void CParamImport::WriteChecked(const std::vector<ParamDifference>& checked)
{
    const int ackPos = m_page.PageLayout().importAckPos;
    std::vector<int> sent, refused;
    bool cancelled = false;
    {
        CPageOperation operation(&m_page, "写入参数", static_cast<int>(checked.size()));
        for (const ParamDifference& difference : checked) {
            if ((cancelled = operation.Cancelled()))
                break;
            const ParamRecord record{difference.number, difference.fileValue};
            const bool written = WriteRecorded(record, ackPos);
            sent.push_back(difference.number);
            if (!written)
                refused.push_back(difference.number);
            operation.SetDone(static_cast<int>(sent.size()));
        }
    }
    {
        CPageOperation operation(&m_page, "读取参数", static_cast<int>(sent.size()));
        for (size_t i = 0; i < sent.size() && !operation.Cancelled(); ++i) {
            m_page.ReadBack(sent[i]);
            operation.SetDone(static_cast<int>(i + 1));
        }
    }
    QString message = QString("已写入 %1 个参数。").arg(sent.size() - refused.size());
    if (!refused.empty())
        message += QString("\n%1 写入被拒绝。").arg(ParameterList(refused));
    if (cancelled)
        message += QString("\n导入已取消：其余 %1 个参数未写入。").arg(checked.size() - sent.size());
    VelorMessageBox(message, refused.empty() && !cancelled ? MB_OK : MB_OK | MB_ICONWARNING);
}
