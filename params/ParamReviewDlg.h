// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamComparison.h"

#include <QDateTime>
#include <QDialog>

class QPushButton;
class QTreeWidget;

// Shows what a parameter file would change before anything is written: a
// summary line, when the controller's values were read, the warnings about
// the file, and one row per differing parameter (number, description,
// controller value, file value) with a check box. For an import, 写入选中参数
// writes the checked records, 全部写入 the whole file as it stands, 重新读取
// reads the controller's values again and reviews anew, and Escape or 取消
// writes nothing. A file that fits the page starts with every row checked
// and 写入选中参数 as the default button; one that does not (another page's or
// generation's record count) starts with no row checked and 取消 as the
// default, so that only a deliberate tick or 全部写入 writes it. Opened to
// compare, it only shows.
class CParamReviewDlg : public QDialog
{
    Q_OBJECT
public:
    // Restore: an import without 全部写入; Offline: a comparison of two kept
    // sets without a controller, so without 重新读取 either.
    enum class Mode { Import, Restore, Compare, Offline };
    enum class Choice { Nothing, Checked, WholeFile, ReadAgain };

    CParamReviewDlg(const CParamComparison& comparison, const CParamSet& set, const QDateTime& readAt,
                    const QString& fileName, Mode mode, QWidget* parent = nullptr);

    // What the technician chose; Nothing unless the dialog was accepted.
    Choice Chosen() const { return m_choice; }
    // The differences left checked, in file order.
    std::vector<ParamDifference> Checked() const;

    // Object names of the parts tests and the review's picture find.
    static constexpr const char* kListName = "differences";
    static constexpr const char* kWriteCheckedName = "writeChecked";
    static constexpr const char* kWriteAllName = "writeAll";
    static constexpr const char* kReadAgainName = "readAgain";
    static constexpr const char* kCancelName = "cancel";
    static constexpr const char* kReadAtName = "readAt";

private:
    void FillList(const CParamSet& set);
    void AddButtons(Mode mode);
    void Choose(Choice choice);
    // 写入选中参数 writes something only with a row checked.
    void UpdateWriteChecked();

    const CParamComparison& m_comparison;
    QTreeWidget* m_list;
    QPushButton* m_writeChecked = nullptr;
    bool m_import;
    Choice m_choice = Choice::Nothing;
};
