// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamComparison.h"

#include "params/ParamSet.h"

#include <algorithm>

namespace {

// At most this many items are named in one warning; the rest are counted.
constexpr int kMostNamed = 8;

template<class T, class Name>
QString NameSome(const std::vector<T>& items, Name name)
{
    QStringList names;
    for (size_t i = 0; i < items.size() && i < kMostNamed; ++i)
        names << name(items[i]);
    QString text = names.join("、");
    if (items.size() > kMostNamed)
        text += QString(" 等 %1 个").arg(items.size());
    return text;
}

QString ParameterName(int n)
{
    return QString("F%1").arg(n);
}

QString RecordName(int record)
{
    return QString("第%1条").arg(record + 1);
}

} // namespace

CParamComparison::CParamComparison(const ParamFileContents& file, const CParamSet& set)
    : m_fileRecords(static_cast<int>(file.records.size()))
    , m_fitsPage(m_fileRecords == set.Count())
    , m_wholeFileCount(std::min(m_fileRecords, set.ReadCount()))
{
    for (size_t i = 0; i < file.records.size(); ++i) {
        const ParamRecord& record = file.records[i];
        if (!set.Catalogue().Contains(record.number)) {
            m_beyond.push_back(record.number);
            if (static_cast<int>(i) < m_wholeFileCount)
                m_beyondSent.push_back(record.number);
            continue;
        }
        const std::optional<int> value = set.Value(record.number);
        if (value == record.value) {
            ++m_equal;
            continue;
        }
        if (!value)
            m_unread.push_back(record.number);
        m_differences.push_back({static_cast<int>(i), record.number, value, record.value});
    }
    AddWarnings(file, set);
}

QString CParamComparison::Summary() const
{
    return QString("文件 %1 条记录：相同 %2，不同 %3，超出本页列表 %4")
        .arg(m_fileRecords)
        .arg(m_equal)
        .arg(m_differences.size())
        .arg(m_beyond.size());
}

void CParamComparison::AddWarnings(const ParamFileContents& file, const CParamSet& set)
{
    if (m_fileRecords != set.Count())
        m_warnings << QString("文件有 %1 条记录，本页有 %2 个参数：它可能是另一页（电梯参数或门机参数）"
                              "或另一代控制器的参数文件，因此没有预先选中任何参数。")
                          .arg(m_fileRecords)
                          .arg(set.Count());
    if (file.trailingBytes > 0)
        m_warnings << QString("文件在一条记录中间结束（末尾多出 %1 个字节）：文件可能不完整。").arg(file.trailingBytes);
    if (!file.oddReserved.empty())
        m_warnings << QString("%1记录的保留字节不是 0：文件可能不是本程序保存的参数文件，或已损坏。")
                          .arg(NameSome(file.oddReserved, RecordName));
    // What is said of them holds for both ways to write: the checked rows
    // never include them, the whole file sends those within the list's reach.
    if (m_beyondSent.empty() && !m_beyond.empty())
        m_warnings << QString("文件中的 %1 不是本页的参数，这些记录不会写入。").arg(NameSome(m_beyond, ParameterName));
    else if (!m_beyond.empty())
        m_warnings << QString("文件中的 %1 不是本页的参数：“写入选中参数”不会写入这些记录，“全部写入”会按文件原样写入其中的 %2。")
                          .arg(NameSome(m_beyond, ParameterName), NameSome(m_beyondSent, ParameterName));
    if (!m_unread.empty())
        m_warnings << QString("%1 未能从控制器读出，无法比较（控制器值显示为“?”）。").arg(NameSome(m_unread, ParameterName));
}
