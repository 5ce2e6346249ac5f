// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamReviewDlg.h"

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

CParamReviewDlg::CParamReviewDlg(const CParamComparison& comparison, const CParamSet& set, const QDateTime& readAt,
                                 const QString& fileName, Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_comparison(comparison)
    , m_list(new QTreeWidget(this))
    , m_import(mode == Mode::Import || mode == Mode::Restore)
{
    const char* const title = mode == Mode::Import ? "导入参数 - %1" : mode == Mode::Restore ? "恢复参数 - %1" : "比较参数 - %1";
    setWindowTitle(QString(title).arg(QFileInfo(fileName).fileName()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(comparison.Summary(), this));
    const bool offline = mode == Mode::Offline;
    QLabel* read = WrappedLabel(offline ? QString("基准值读于 %1").arg(readAt.toString("yyyy-MM-dd HH:mm"))
                                        : QString("控制器值读于 %1").arg(readAt.toString("HH:mm")),
                                this);
    read->setObjectName(kReadAtName);
    layout->addWidget(read);
    for (const QString& warning : comparison.Warnings()) {
        QLabel* label = WrappedLabel("⚠ " + warning, this);
        label->setStyleSheet("color: #a01010;");
        layout->addWidget(label);
    }
    layout->addWidget(m_list, 1);
    FillList(set);
    if (offline) {
        m_list->headerItem()->setText(ControllerColumn, "基准值");
        m_list->headerItem()->setText(FileColumn, "比较值");
    }
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
        item->setCheckState(NumberColumn, m_comparison.FitsPage() ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(TextColumn, text);
    }
    connect(m_list, &QTreeWidget::itemChanged, this, &CParamReviewDlg::UpdateWriteChecked);
}

// Return takes the default button: 写入选中参数 for a file that fits the page,
// 取消 for one that does not. To compare, both write buttons stay disabled
// and Return closes.
void CParamReviewDlg::AddButtons(Mode mode)
{
    auto* buttons = new QDialogButtonBox(this);
    m_writeChecked = buttons->addButton("写入选中参数", QDialogButtonBox::AcceptRole);
    m_writeChecked->setObjectName(kWriteCheckedName);
    connect(m_writeChecked, &QPushButton::clicked, this, [this] { Choose(Choice::Checked); });
    QPushButton* all = buttons->addButton("全部写入", QDialogButtonBox::ActionRole);
    all->setObjectName(kWriteAllName);
    all->setToolTip("按文件原样写入全部记录（不比较），然后重新读取参数");
    connect(all, &QPushButton::clicked, this, [this] { Choose(Choice::WholeFile); });
    QPushButton* again = buttons->addButton("重新读取", QDialogButtonBox::ResetRole);
    again->setObjectName(kReadAgainName);
    again->setToolTip("重新读取控制器中的全部参数，再与文件比较");
    connect(again, &QPushButton::clicked, this, [this] { Choose(Choice::ReadAgain); });
    QPushButton* cancel = buttons->addButton(m_import ? "取消" : "关闭", QDialogButtonBox::RejectRole);
    cancel->setObjectName(kCancelName);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QPushButton* button : {m_writeChecked, all, again, cancel})
        button->setAutoDefault(false);
    all->setEnabled(mode == Mode::Import);
    all->setVisible(mode != Mode::Restore);
    again->setVisible(mode != Mode::Offline);
    UpdateWriteChecked();
    (m_import && m_comparison.FitsPage() ? m_writeChecked : cancel)->setDefault(true);
    layout()->addWidget(buttons);
}

void CParamReviewDlg::UpdateWriteChecked()
{
    if (m_writeChecked)
        m_writeChecked->setEnabled(m_import && !Checked().empty());
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
