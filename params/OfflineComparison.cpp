// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/OfflineComparison.h"

#include "params/ParamComparison.h"
#include "params/ParamFileDialog.h"
#include "params/ParamReviewDlg.h"
#include "params/ParamSet.h"

#include <QFileInfo>

std::optional<CParamCatalogue> CatalogueOfFile(const ParamFileContents& contents, QString& why)
{
    const int count = static_cast<int>(contents.records.size());
    std::optional<CParamCatalogue> catalogue = CParamCatalogue::ForCount(count);
    if (!catalogue)
        why = QString("文件有 %1 条记录，不是主板（173 或 114 条）或门机（79 条）的参数文件。").arg(count);
    return catalogue;
}

void ShowOfflineComparison(const KeptParameters& base, const KeptParameters& other, QWidget* parent)
{
    CParamSet set(base.catalogue);
    for (const ParamRecord& record : base.records)
        set.SetValue(record.number, record.value);
    const CParamComparison comparison(ParamFileContents{other.records, {}, 0}, set);
    CParamReviewDlg review(comparison, set, base.readAt, base.name + " ↔ " + other.name,
                           CParamReviewDlg::Mode::Offline, parent);
    review.exec();
}

void CompareWithChosenFile(const KeptParameters& base, const QString& fileBaseName, QWidget* parent)
{
    ParamFileContents contents;
    QString path;
    if (OpenChosenParamFile(parent, fileBaseName, contents, &path))
        ShowOfflineComparison(base, {QFileInfo(path).fileName(), base.catalogue, contents.records, {}}, parent);
}
