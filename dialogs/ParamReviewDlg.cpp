#include "dialogs/ParamReviewDlg.h"

#include "ui/ListView.h"
#include "params/ParamSet.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { NumberColumn, TextColumn, ControllerColumn, FileColumn };

QString ValueText(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString("?");
}

QLabel* WrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CParamReviewDlg::CParamReviewDlg(const CParamComparison& comparison, const CParamSet& set, const QString& fileName,
                                 Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_comparison(comparison)
    , m_list(new QTreeWidget(this))
{
    setWindowTitle(QString(mode == Mode::Import ? "导入参数 - %1" : "比较参数 - %1").arg(QFileInfo(fileName).fileName()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(comparison.Summary(), this));
    for (const QString& warning : comparison.Warnings()) {
        QLabel* label = WrappedLabel("⚠ " + warning, this);
        label->setStyleSheet("color: #a01010;");
        layout->addWidget(label);
    }
    layout->addWidget(m_list, 1);
    FillList(set);
    AddButtons(mode);
    resize(720, 520);
}

void CParamReviewDlg::FillList(const CParamSet& set)
{
    m_list->setObjectName(kListName);
    SetupReportView(m_list);
    InsertColumn(m_list, NumberColumn, "编号", 60, Qt::AlignCenter);
    InsertColumn(m_list, TextColumn, "说明", 260);
    InsertColumn(m_list, ControllerColumn, "控制器值", 80, Qt::AlignCenter);
    InsertColumn(m_list, FileColumn, "文件值", 80, Qt::AlignCenter);
    m_list->header()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    const auto& differences = m_comparison.Differences();
    for (size_t i = 0; i < differences.size(); ++i) {
        const ParamDifference& difference = differences[i];
        const int row = InsertRow(m_list, static_cast<int>(i), QString("F%1").arg(difference.number), static_cast<int>(i));
        const QString text = set.Text(difference.number).trimmed();
        SetRowText(m_list, row, TextColumn, text);
        SetRowText(m_list, row, ControllerColumn, ValueText(difference.controllerValue));
        SetRowText(m_list, row, FileColumn, QString::number(difference.fileValue));
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        item->setCheckState(NumberColumn, Qt::Checked);
        item->setToolTip(TextColumn, text);
    }
}

// Return writes the checked records: that button is the default one. To
// compare, both write buttons stay disabled and Return closes.
void CParamReviewDlg::AddButtons(Mode mode)
{
    const bool import = mode == Mode::Import;
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* checked = buttons->addButton("写入选中参数", QDialogButtonBox::AcceptRole);
    checked->setObjectName(kWriteCheckedName);
    connect(checked, &QPushButton::clicked, this, [this] { Choose(Choice::Checked); });
    QPushButton* all = buttons->addButton("全部写入", QDialogButtonBox::ActionRole);
    all->setObjectName(kWriteAllName);
    all->setToolTip("按文件原样写入全部记录（不比较），然后重新读取参数");
    connect(all, &QPushButton::clicked, this, [this] { Choose(Choice::WholeFile); });
    QPushButton* cancel = buttons->addButton(import ? "取消" : "关闭", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QPushButton* button : {checked, all, cancel})
        button->setAutoDefault(false);
    checked->setEnabled(import);
    all->setEnabled(import);
    (import ? checked : cancel)->setDefault(true);
    layout()->addWidget(buttons);
}

void CParamReviewDlg::Choose(Choice choice)
{
    m_choice = choice;
    accept();
}

std::vector<ParamDifference> CParamReviewDlg::Checked() const
{
    std::vector<ParamDifference> checked;
    const auto& differences = m_comparison.Differences();
    for (int row = 0; row < RowCount(m_list); ++row)
        if (m_list->topLevelItem(row)->checkState(NumberColumn) == Qt::Checked)
            checked.push_back(differences[RowItemData(m_list, row)]);
    return checked;
}
