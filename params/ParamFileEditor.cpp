// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamFileEditor.h"

#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/RowKeys.h"
#include "dialogs/BitMaskDlg.h"
#include "dialogs/DisplayCodeDlg.h"
#include "dialogs/ValueDlg.h"
#include "params/ParamEditor.h"
#include "params/ParamFileDialog.h"
#include "params/ParamSet.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum Column { NumberColumn, ValueColumn, ReadableColumn, TextColumn };

QString FileBaseName(const CParamCatalogue& catalogue)
{
    return catalogue.GetKind() == CParamCatalogue::DoorMachine ? "门机参数" : "电梯参数";
}

} // namespace

CParamFileEditor::CParamFileEditor(KeptParameters parameters, QString path, QWidget* parent)
    : QDialog(parent), m_kept(std::move(parameters)), m_path(std::move(path)), m_list(new QTreeWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    FillList();
    auto* buttons = new QDialogButtonBox(this);
    const auto add = [&](const QString& text, void (CParamFileEditor::*slot)()) {
        QPushButton* button = buttons->addButton(text, QDialogButtonBox::ActionRole);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    add("保存", &CParamFileEditor::OnSave)->setEnabled(!m_path.isEmpty());
    add("另存为…", &CParamFileEditor::OnSaveAs);
    add("与文件比较…", &CParamFileEditor::OnCompare);
    QPushButton* close = buttons->addButton("关闭", QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_list, &QTreeWidget::clicked, this, [this] { EditRow(SelectedRow(m_list)); });
    new CRowKeys(m_list, [this] { EditRow(SelectedRow(m_list)); });
    ShowTitle();
    resize(640, 560);
}

void CParamFileEditor::OpenFile(QWidget* parent)
{
    ParamFileContents contents;
    QString path, error;
    if (!OpenChosenParamFile(parent, "参数文件", contents, &path))
        return;
    const std::optional<CParamCatalogue> catalogue = CatalogueOfFile(contents, error);
    if (!catalogue) {
        VelorMessageBox(error, MB_ICONERROR);
        return;
    }
    CParamFileEditor editor({QFileInfo(path).fileName(), *catalogue, contents.records, {}}, path, parent);
    editor.exec();
}

void CParamFileEditor::FillList()
{
    m_list->setObjectName(kListName);
    SetupReportView(m_list);
    InsertColumn(m_list, NumberColumn, "编号", 60, Qt::AlignCenter);
    InsertColumn(m_list, ValueColumn, "参数", 70, Qt::AlignCenter);
    InsertColumn(m_list, ReadableColumn, "可读值", 150);
    InsertColumn(m_list, TextColumn, "说明", 300);
    m_list->header()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    for (std::size_t i = 0; i < m_kept.records.size(); ++i) {
        const int number = m_kept.records[i].number;
        InsertRow(m_list, static_cast<int>(i), QString("F%1").arg(number), number);
        ShowRecord(static_cast<int>(i));
    }
}

void CParamFileEditor::ShowRecord(int row)
{
    const ParamRecord& record = m_kept.records[row];
    SetRowText(m_list, row, ValueColumn, QString::number(record.value));
    SetRowText(m_list, row, ReadableColumn, ReadableParamValue(m_kept.catalogue, record.number, record.value));
    SetRowText(m_list, row, TextColumn, m_kept.catalogue.Text(record.number).trimmed());
}

void CParamFileEditor::EditRow(int row)
{
    if (row < 0 || row >= static_cast<int>(m_kept.records.size()))
        return;
    ParamRecord record = m_kept.records[row];
    if (!m_kept.catalogue.Contains(record.number)) {
        VelorMessageBox(QString("F%1 不在本文件的参数表中，不能修改。").arg(record.number));
        return;
    }
    if (!EditValue(record) || record.value == m_kept.records[row].value)
        return;
    m_kept.records[row] = record;
    m_modified = true;
    ShowRecord(row);
    ShowTitle();
}

// The page's editor for the parameter; the floor lockout and the telephone
// number, written on the controller by their own dialogs, are plain values
// in a file.
bool CParamFileEditor::EditValue(ParamRecord& record)
{
    const QString prompt = m_kept.catalogue.Text(record.number);
    switch (EditorOf(m_kept.catalogue.GetKind(), record.number)) {
    case ParamEditor::BitMask: {
        CBitMaskDlg dialog;
        qstrncpy(dialog.m_szMask, MaskDigits(record.value).constData(), sizeof dialog.m_szMask);
        dialog.m_strPrompt = prompt;
        if (dialog.exec() != QDialog::Accepted)
            return false;
        record.value = MaskValue(dialog.m_szMask);
        return true;
    }
    case ParamEditor::DisplayCode: {
        CDisplayCodeDlg dialog;
        dialog.m_nCode = record.value;
        dialog.m_strPrompt = prompt;
        if (dialog.exec() != QDialog::Accepted)
            return false;
        record.value = dialog.m_nCode;
        return true;
    }
    default: {
        CValueDlg dialog;
        dialog.m_strValue = QString::number(record.value);
        dialog.m_strPrompt = prompt;
        dialog.m_nMost = CParamSet(m_kept.catalogue).MostValue(record.number);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        record.value = dialog.m_nValue;
        return true;
    }
    }
}

bool CParamFileEditor::Save(const QString& path)
{
    QString error;
    if (!CParamFile::Save(path, m_kept.records, error)) {
        VelorMessageBox(error, MB_ICONERROR);
        return false;
    }
    m_path = path;
    m_kept.name = QFileInfo(path).fileName();
    m_modified = false;
    ShowTitle();
    return true;
}

void CParamFileEditor::OnSave()
{
    if (!m_path.isEmpty())
        Save(m_path);
}

void CParamFileEditor::OnSaveAs()
{
    const QString path = ChooseParamFile(this, true, FileBaseName(m_kept.catalogue));
    if (!path.isEmpty())
        Save(path);
}

void CParamFileEditor::OnCompare()
{
    CompareWithChosenFile(m_kept, FileBaseName(m_kept.catalogue), this);
}

void CParamFileEditor::ShowTitle()
{
    setWindowTitle(QString("参数文件 - %1%2（%3 条记录，未连接控制器）")
                       .arg(m_kept.name, m_modified ? " *" : "")
                       .arg(m_kept.records.size()));
}

// Changes not saved are not dropped without a question.
void CParamFileEditor::reject()
{
    if (m_modified && !AskFirst("修改尚未保存。\n确定要关闭并放弃修改吗？"))
        return;
    QDialog::reject();
}
