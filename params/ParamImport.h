// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamComparison.h"
#include "params/ParamReviewDlg.h"

#include <QString>

#include <vector>

class CParamListPage;

// A parameter file set against a parameter page's values and, for an import,
// written into the controller: the file is read, the page's values are made
// whole and fresh, the technician reviews what the file would change
// (CParamReviewDlg) and chooses. Then either the records left checked are
// written and their rows read back, or the whole file as it stands, as far as
// the list reaches, after which the list is read again. Nothing is written
// that the technician did not choose in the review; to compare, the review
// only shows.
class CParamImport
{
public:
    explicit CParamImport(CParamListPage& page);

    // Import (mayWrite) or compare the file at path.
    void Run(const QString& path, bool mayWrite);
    // Reviews contents named name (a file's path or a kept snapshot's name)
    // against fresh values: to import, restore or compare.
    void Review(const ParamFileContents& contents, const QString& name, CParamReviewDlg::Mode mode);

private:
    // Writes the file's records in file order, count of them, and stops at the
    // first refused one (or at the technician's 取消); its message tells how
    // far the import got. The list is read again in any case.
    void WriteWholeFile(const ParamFileContents& contents, int count, const QString& path);
    // Writes the records the technician kept checked, reads back their rows
    // and says how many went in and which were refused (or that the
    // technician stopped it).
    void WriteChecked(const std::vector<ParamDifference>& checked);
    bool WriteRecorded(const ParamRecord& record, int ackPos);

    CParamListPage& m_page;
};
