// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/OfflineComparison.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

// A parameter file opened without a controller: its records in file order
// (number, value, what the value means, description from the catalogue its
// record count names), edited with the page's editor dialogs and saved whole.
// Nothing here talks to a controller: an edited file reaches one only through
// a parameter page's import and its review.
class CParamFileEditor : public QDialog
{
    Q_OBJECT
public:
    CParamFileEditor(KeptParameters parameters, QString path, QWidget* parent = nullptr);

    // Asks for a file and opens it; a file that is no parameter file is
    // named with the reason and nothing opens.
    static void OpenFile(QWidget* parent);

    const std::vector<ParamRecord>& Records() const { return m_kept.records; }
    bool IsModified() const { return m_modified; }

    static constexpr const char* kListName = "records";

    void reject() override;

private:
    void FillList();
    void ShowRecord(int row);
    void EditRow(int row);
    // The dialog of the record's editor; false when the technician cancelled.
    bool EditValue(ParamRecord& record);
    bool Save(const QString& path);
    void OnSave();
    void OnSaveAs();
    void OnCompare();
    void ShowTitle();

    KeptParameters m_kept;
    QString m_path; // empty until saved when opened from a snapshot
    QTreeWidget* m_list;
    bool m_modified = false;
};
