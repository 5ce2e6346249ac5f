#pragma once

#include "params/ParamComparison.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

// Shows what a parameter file would change before anything is written: a
// summary line, the warnings about the file, and one row per differing
// parameter (number, description, controller value, file value) with a check
// box, all checked at first. For an import, Return (写入选中参数) writes the
// checked records, 全部写入 the whole file as it stands, and Escape or 取消
// nothing; opened to compare, it only shows.
class CParamReviewDlg : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Import, Compare };
    enum class Choice { Nothing, Checked, WholeFile };

    CParamReviewDlg(const CParamComparison& comparison, const CParamSet& set, const QString& fileName, Mode mode,
                    QWidget* parent = nullptr);

    // What the technician chose; Nothing unless the dialog was accepted.
    Choice Chosen() const { return m_choice; }
    // The differences left checked, in file order.
    std::vector<ParamDifference> Checked() const;

    // Object names of the parts tests and the review's picture find.
    static constexpr const char* kListName = "differences";
    static constexpr const char* kWriteCheckedName = "writeChecked";
    static constexpr const char* kWriteAllName = "writeAll";

private:
    void FillList(const CParamSet& set);
    void AddButtons(Mode mode);
    void Choose(Choice choice);

    const CParamComparison& m_comparison;
    QTreeWidget* m_list;
    Choice m_choice = Choice::Nothing;
};
