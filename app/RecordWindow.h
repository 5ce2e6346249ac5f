// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/OfflineComparison.h"
#include "params/ParamReviewDlg.h"

#include <QSqlQueryModel>
#include <QWidget>

#include <functional>

class CRecordSyncJob;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

// The service record window "维护记录": the lifts, each lift's visits newest
// first, and of the chosen visit its identity, parameter snapshots, writes,
// fault logs and shaft data. A snapshot compares with the controller, another
// snapshot or a file, saves as a ".F" file, opens in the file editor, and
// restores into the controller through the parameter page's review. Lists
// are models over queries, fetched as they scroll.
class CRecordWindow : public QWidget
{
    Q_OBJECT
public:
    // Reviews kept parameters against the controller on the page of board
    // ("lift" or "door"): to compare, or to restore the rows left checked.
    using ReviewHook = std::function<void(const QString& board, const KeptParameters& kept, CParamReviewDlg::Mode mode)>;

    explicit CRecordWindow(QWidget* parent = nullptr);

    void SetReviewHook(ReviewHook review) { m_review = std::move(review); }
    // The company record's sync (none without a record server); lastResult:
    // what the last sync said.
    void SetSync(CRecordSyncJob* sync, const QString& lastResult);
    // Reads the lists again from the record.
    void Refresh();

    QTableView* Lifts() const { return m_lifts; }
    QTableView* Visits() const { return m_visits; }
    QTableView* Snapshots() const { return m_snapshots; }
    QTableView* Writes() const { return m_writes; }
    QString SelectedVisit() const;
    // The kept parameters of a snapshot row, none when it cannot be read.
    std::optional<KeptParameters> SnapshotAt(int row) const;
    QString SnapshotBoard(int row) const;

    void ShowSnapshotInEditor();
    void CompareSnapshotWithController();
    void RestoreSnapshot();
    void CompareTwoSnapshots();
    void CompareSnapshotWithFile();
    void SaveSnapshot();
    void AssignLift();
    void ShowReport();
    void Sync();
    void FetchHistory();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildButtons();
    QWidget* BuildVisitTabs();
    QTableView* AddTable(QSqlQueryModel* model, const QStringList& headers);
    void ShowState();
    void ShowSyncResult(const QString& text);
    void OnLiftChosen();
    void OnVisitChosen();
    void ShowVisitData(const QString& visit);
    void SetQuery(QTableView* view, const QString& sql, const QVariantList& values = {});
    int SelectedSnapshotRow() const;
    void ReviewSnapshot(CParamReviewDlg::Mode mode);

    QSqlQueryModel m_liftModel;
    QSqlQueryModel m_visitModel;
    QSqlQueryModel m_snapshotModel;
    QSqlQueryModel m_writeModel;
    QSqlQueryModel m_faultModel;
    QLabel* m_state;
    QTableView* m_lifts;
    QTableView* m_visits;
    QTabWidget* m_tabs;
    QLabel* m_identity;
    QTableView* m_snapshots;
    QTableView* m_writes;
    QTableView* m_faults;
    QPlainTextEdit* m_shaft;
    QPushButton* m_assign;
    QPushButton* m_sync;
    QPushButton* m_history;
    CRecordSyncJob* m_syncJob = nullptr;
    QString m_syncResult;
    ReviewHook m_review;
};
