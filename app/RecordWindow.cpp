// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecordWindow.h"

#include "ui/MessageBox.h"
#include "dialogs/ReportDlg.h"
#include "link/PortChannel.h"
#include "params/ParamFileDialog.h"
#include "params/ParamFileEditor.h"
#include "record/RecordSyncJob.h"
#include "record/ServiceRecord.h"
#include "report/VisitData.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// A record time as the lists show it: date and time to the second.
QString ShownTime(const QString& column)
{
    return QString("replace(substr(%1, 1, 19), 'T', ' ')").arg(column);
}

const QString kWhatLabel = "CASE what WHEN 'parameter' THEN '参数' WHEN 'lockout' THEN '楼层时段' "
                           "WHEN 'ic-card' THEN 'IC卡' WHEN 'elevator-id' THEN '电梯ID' WHEN 'phone' THEN '电话号码' "
                           "WHEN 'clock' THEN '时钟' WHEN 'run-count-reset' THEN '运行次数复位' "
                           "WHEN 'parameter-reset' THEN '参数复位' WHEN 'fault-log-reset' THEN '故障记录复位' "
                           "WHEN 'self-learning' THEN '井道自学习' ELSE what END";
const QString kOutcomeLabel = "CASE outcome WHEN 'acknowledged' THEN '已确认' WHEN 'refused' THEN '被拒绝' "
                              "WHEN 'unconfirmed' THEN '未确认' ELSE '未知（程序中途退出）' END";
const QString kBoardLabel = "CASE board WHEN 'door' THEN '门机' ELSE '主板' END";
const QString kUnidentified = "（未识别的电梯）";

// The catalogue of a snapshot: the one its controller's parameter count
// names; older snapshots that do not say are told by board and highest number.
CParamCatalogue SnapshotCatalogue(const CServiceRecord::Snapshot& snapshot)
{
    if (const std::optional<CParamCatalogue> catalogue = CParamCatalogue::ForCount(snapshot.parameters))
        return *catalogue;
    if (snapshot.board == "door")
        return CParamCatalogue(CParamCatalogue::DoorMachine);
    const bool beyondShort = !snapshot.values.empty() && snapshot.values.back().number >= 114;
    return CParamCatalogue::ForMainBoard(beyondShort);
}

} // namespace

CRecordWindow::CRecordWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_state(new QLabel(this))
    , m_lifts(AddTable(&m_liftModel, {"", "电梯ID", "程序名称", "维护次数", "最近一次"}))
    , m_visits(AddTable(&m_visitModel, {"", "开始", "结束", "程序名称"}))
{
    setWindowTitle("维护记录");
    auto* layout = new QVBoxLayout(this);
    m_state->setWordWrap(true);
    layout->addWidget(m_state);
    layout->addWidget(BuildButtons());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_lifts);
    splitter->addWidget(m_visits);
    splitter->addWidget(BuildVisitTabs());
    splitter->setStretchFactor(2, 1);
    splitter->setSizes({410, 250, 540});
    layout->addWidget(splitter, 1);
    connect(m_lifts->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CRecordWindow::OnLiftChosen);
    connect(m_visits->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CRecordWindow::OnVisitChosen);
    resize(1200, 640);
}

QTableView* CRecordWindow::AddTable(QSqlQueryModel* model, const QStringList& headers)
{
    auto* view = new QTableView(this);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setProperty("headers", headers);
    return view;
}

QWidget* CRecordWindow::BuildButtons()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    const auto button = [&](const QString& text, void (CRecordWindow::*action)()) {
        auto* b = new QPushButton(text, bar);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        row->addWidget(b);
        return b;
    };
    button("刷新", &CRecordWindow::Refresh);
    auto* open = new QPushButton("打开参数文件…", bar);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this, [this] { CParamFileEditor::OpenFile(this); });
    row->addWidget(open);
    m_assign = button("指定电梯…", &CRecordWindow::AssignLift);
    button("维护报告…", &CRecordWindow::ShowReport);
    m_sync = button("同步", &CRecordWindow::Sync);
    m_history = button("取电梯历史…", &CRecordWindow::FetchHistory);
    for (QPushButton* b : {m_sync, m_history}) {
        b->setEnabled(false);
        b->setToolTip("未设置公司的记录服务器（设置值 recordserver）");
    }
    row->addStretch(1);
    return bar;
}

QWidget* CRecordWindow::BuildVisitTabs()
{
    m_tabs = new QTabWidget(this);
    m_identity = new QLabel(m_tabs);
    m_identity->setWordWrap(true);
    m_identity->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_identity->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_tabs->addTab(m_identity, "概况");

    auto* snapshots = new QWidget(m_tabs);
    auto* column = new QVBoxLayout(snapshots);
    m_snapshots = AddTable(&m_snapshotModel, {"", "读取时间", "板", "参数个数", "状态", ""});
    column->addWidget(m_snapshots, 1);
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, void (CRecordWindow::*action)()) {
        auto* b = new QPushButton(text, snapshots);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
    };
    button("查看/编辑…", &CRecordWindow::ShowSnapshotInEditor);
    button("与控制器比较", &CRecordWindow::CompareSnapshotWithController);
    button("恢复到控制器…", &CRecordWindow::RestoreSnapshot);
    button("比较两个快照", &CRecordWindow::CompareTwoSnapshots);
    button("与文件比较…", &CRecordWindow::CompareSnapshotWithFile);
    button("另存为 .F…", &CRecordWindow::SaveSnapshot);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_tabs->addTab(snapshots, "参数快照");

    m_writes = AddTable(&m_writeModel, {"时间", "板", "类别", "参数", "原值", "新值", "结果"});
    m_tabs->addTab(m_writes, "写入");
    m_faults = AddTable(&m_faultModel, {"读取时间", "来源", "序号", "故障码", "楼层", "故障时间", "说明"});
    m_tabs->addTab(m_faults, "故障");
    m_shaft = new QPlainTextEdit(m_tabs);
    m_shaft->setReadOnly(true);
    m_tabs->addTab(m_shaft, "井道数据");
    return m_tabs;
}

void CRecordWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
}

void CRecordWindow::ShowState()
{
    CServiceRecord& record = CServiceRecord::Instance();
    const bool recording = record.Open() && record.IsRecording() && !record.IsReadOnly();
    QString text = recording ? QString("记录文件：%1").arg(record.Path())
                             : QString("未记录：记录文件 %1 现在无法写入，本次维护不作记录。").arg(record.Path());
    if (!m_syncResult.isEmpty())
        text += QString("\n与公司记录同步：%1").arg(m_syncResult);
    m_state->setText(text);
    setWindowTitle(recording ? "维护记录" : "维护记录 — 未记录");
}

// The view's model shows the query's rows under the view's headers (an empty
// header hides its column: a key the window needs, not the technician).
void CRecordWindow::SetQuery(QTableView* view, const QString& sql, const QVariantList& values)
{
    auto* model = static_cast<QSqlQueryModel*>(view->model());
    QSqlQuery query(CServiceRecord::Instance().Database());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    query.exec();
    model->setQuery(std::move(query));
    const QStringList headers = view->property("headers").toStringList();
    for (int column = 0; column < headers.size(); ++column) {
        model->setHeaderData(column, Qt::Horizontal, headers[column]);
        view->setColumnHidden(column, headers[column].isEmpty());
    }
    view->resizeColumnsToContents();
}

void CRecordWindow::Refresh()
{
    ShowState();
    if (!CServiceRecord::Instance().Open())
        return;
    const QString chosenLift = m_lifts->currentIndex().isValid()
                                   ? m_liftModel.index(m_lifts->currentIndex().row(), 0).data().toString()
                                   : QString();
    SetQuery(m_lifts,
             QString("SELECT COALESCE(elevator_id, '') AS lift, CASE WHEN COALESCE(elevator_id, '') = '' THEN '%1' "
                     "ELSE elevator_id END, max(program_name), count(*), %2 FROM record_visits "
                     "GROUP BY lift ORDER BY max(started) DESC")
                 .arg(kUnidentified, ShownTime("max(started)")));
    while (m_liftModel.canFetchMore())
        m_liftModel.fetchMore();
    int row = 0;
    for (int i = 0; i < m_liftModel.rowCount(); ++i)
        if (m_liftModel.index(i, 0).data().toString() == chosenLift)
            row = i;
    m_lifts->selectRow(row);
    OnLiftChosen();
}

void CRecordWindow::OnLiftChosen()
{
    const int row = m_lifts->currentIndex().isValid() ? m_lifts->currentIndex().row() : 0;
    const QString lift = m_liftModel.index(row, 0).data().toString();
    SetQuery(m_visits,
             QString("SELECT visit, %1, %2 FROM record_visits WHERE COALESCE(elevator_id, '') = ? "
                     "ORDER BY started DESC")
                 .arg(ShownTime("started"), ShownTime("ended")),
             {lift});
    m_visits->selectRow(0);
    OnVisitChosen();
}

QString CRecordWindow::SelectedVisit() const
{
    const int row = m_visits->currentIndex().isValid() ? m_visits->currentIndex().row() : 0;
    return m_visitModel.index(row, 0).data().toString();
}

void CRecordWindow::OnVisitChosen()
{
    const QString visit = SelectedVisit();
    ShowVisitData(visit);
    SetQuery(m_snapshots,
             QString("SELECT id, %1, %2, (SELECT count(*) FROM snapshot_values v WHERE v.snapshot = s.id), "
                     "CASE complete WHEN 1 THEN '完整' ELSE '未读完' END, board FROM snapshots s WHERE visit = ? "
                     "ORDER BY taken")
                 .arg(ShownTime("taken"), kBoardLabel),
             {visit});
    SetQuery(m_writes,
             QString("SELECT %1, %2, %3, 'F' || parameter, old_value, new_value, %4 FROM record_writes "
                     "WHERE visit = ? ORDER BY at")
                 .arg(ShownTime("at"), kBoardLabel, kWhatLabel, kOutcomeLabel),
             {visit});
    SetQuery(m_faults,
             QString("SELECT %1, CASE l.kind WHEN 'log' THEN '故障记录' WHEN 'partial-log' THEN '故障记录（未读完）' "
                     "ELSE '故障报告' END, f.position, f.code, f.floor, f.time, COALESCE(f.text, '（无故障记录）') "
                     "FROM fault_logs l LEFT JOIN fault_entries f ON f.log = l.id WHERE l.visit = ? "
                     "ORDER BY l.taken, f.position")
                 .arg(ShownTime("l.taken")),
             {visit});
}

// The lift as the general page read it at the start and the end of the
// visit, and the shaft data, as the visit's report reads them.
void CRecordWindow::ShowVisitData(const QString& visit)
{
    VisitData data;
    QString error;
    const bool loaded = !visit.isEmpty() && LoadVisitData(CServiceRecord::Instance().Database(), visit, data, error);
    const auto count = [](const std::optional<long long>& runs) { return runs ? QString::number(*runs) : QString(); };
    if (!loaded)
        m_identity->setText(error);
    else if (data.identityRead)
        m_identity->setText(QString("电梯ID：%1\n程序名称：%2\n电话号码：%3\n运行次数：开始 %4，结束 %5\n控制器时钟：%6（读于 %7）")
                                .arg(data.elevatorId, data.programName, data.phone, count(data.runCountStart),
                                     count(data.runCountEnd), data.controllerClock,
                                     data.laptopClock.left(19).replace('T', ' ')));
    else if (!data.elevatorId.isEmpty())
        m_identity->setText(QString("电梯ID：%1（由技术员指定；本次维护没有读取一般参数）").arg(data.elevatorId));
    else
        m_identity->setText("未识别的电梯：本次维护没有读取一般参数。打开“一般参数”即可识别电梯；"
                            "也可用“指定电梯…”把本次维护归入已知的电梯。");
    m_assign->setEnabled(loaded && !data.identityRead);

    QStringList reads;
    for (const VisitData::Shaft& shaft : data.shafts)
        reads << QString("读于 %1\n%2").arg(QString(shaft.taken).left(19).replace('T', ' '), shaft.data);
    m_shaft->setPlainText(reads.isEmpty() ? "本次维护没有读取井道数据。" : reads.join("\n\n"));
}

int CRecordWindow::SelectedSnapshotRow() const
{
    const QModelIndexList rows = m_snapshots->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

QString CRecordWindow::SnapshotBoard(int row) const
{
    return m_snapshotModel.index(row, 5).data().toString();
}

std::optional<KeptParameters> CRecordWindow::SnapshotAt(int row) const
{
    if (row < 0 || row >= m_snapshotModel.rowCount())
        return std::nullopt;
    const std::optional<CServiceRecord::Snapshot> snapshot =
        CServiceRecord::Instance().LoadSnapshot(m_snapshotModel.index(row, 0).data().toString());
    if (!snapshot)
        return std::nullopt;
    const QDateTime taken = QDateTime::fromString(snapshot->taken, Qt::ISODateWithMs);
    return KeptParameters{QString("快照 %1").arg(taken.toString("yyyy-MM-dd HH:mm:ss")), SnapshotCatalogue(*snapshot),
                          snapshot->values, taken};
}

void CRecordWindow::ShowSnapshotInEditor()
{
    if (const std::optional<KeptParameters> kept = SnapshotAt(SelectedSnapshotRow())) {
        CParamFileEditor editor(*kept, QString(), this);
        editor.exec();
    }
}

// Both go through the parameter page, which reads the controller's values
// fresh before its review; nothing starts while an exchange holds the port.
void CRecordWindow::ReviewSnapshot(CParamReviewDlg::Mode mode)
{
    const int row = SelectedSnapshotRow();
    const std::optional<KeptParameters> kept = SnapshotAt(row);
    if (!kept || g_port.m_busy)
        return;
    if (!m_review || !g_port.IsOpen()) {
        VelorMessageBox("没有连接控制器：请先打开串口。");
        return;
    }
    m_review(SnapshotBoard(row), *kept, mode);
    Refresh();
}

void CRecordWindow::CompareSnapshotWithController()
{
    ReviewSnapshot(CParamReviewDlg::Mode::Compare);
}

void CRecordWindow::RestoreSnapshot()
{
    ReviewSnapshot(CParamReviewDlg::Mode::Restore);
}

void CRecordWindow::CompareTwoSnapshots()
{
    const QModelIndexList rows = m_snapshots->selectionModel()->selectedRows();
    if (rows.size() != 2) {
        VelorMessageBox("请按住 Ctrl 选中两个快照再比较。");
        return;
    }
    const std::optional<KeptParameters> base = SnapshotAt(std::min(rows[0].row(), rows[1].row()));
    const std::optional<KeptParameters> other = SnapshotAt(std::max(rows[0].row(), rows[1].row()));
    if (base && other)
        ShowOfflineComparison(*base, *other, this);
}

void CRecordWindow::CompareSnapshotWithFile()
{
    if (const std::optional<KeptParameters> base = SnapshotAt(SelectedSnapshotRow()))
        CompareWithChosenFile(*base, "参数文件", this);
}

// Byte for byte the file the parameter page saves from the same values.
void CRecordWindow::SaveSnapshot()
{
    const int row = SelectedSnapshotRow();
    const std::optional<KeptParameters> kept = SnapshotAt(row);
    if (!kept)
        return;
    const QString path = ChooseParamFile(this, true, SnapshotBoard(row) == "door" ? "门机参数" : "电梯参数");
    if (path.isEmpty())
        return;
    QString error;
    if (!CParamFile::Save(path, kept->records, error))
        VelorMessageBox(error, MB_ICONERROR);
}

// An unidentified visit goes to a lift the record knows, or to one typed in.
void CRecordWindow::AssignLift()
{
    const QString visit = SelectedVisit();
    if (visit.isEmpty())
        return;
    QStringList known;
    for (int i = 0; i < m_liftModel.rowCount(); ++i)
        if (const QString lift = m_liftModel.index(i, 0).data().toString(); !lift.isEmpty())
            known << lift;
    bool ok = false;
    const QString lift = QInputDialog::getItem(this, "指定电梯", "本次维护所在电梯的电梯ID：", known, 0, true, &ok).trimmed();
    if (!ok || lift.isEmpty())
        return;
    CServiceRecord::Instance().AssignLift(visit, lift);
    Refresh();
}

void CRecordWindow::SetSync(CRecordSyncJob* sync, const QString& lastResult)
{
    m_syncJob = sync;
    m_syncResult = lastResult;
    for (QPushButton* b : {m_sync, m_history}) {
        b->setEnabled(sync != nullptr);
        if (sync)
            b->setToolTip({});
    }
    if (sync)
        connect(sync, &CRecordSyncJob::finished, this, &CRecordWindow::ShowSyncResult);
    ShowState();
}

void CRecordWindow::ShowSyncResult(const QString& text)
{
    m_syncResult = text;
    Refresh();
}

// Runs in the background; the result shows above the lists when it is done.
void CRecordWindow::Sync()
{
    if (m_syncJob && m_syncJob->start()) {
        m_syncResult = "正在同步…";
        ShowState();
    }
}

// One lift's whole history from the company's record, whoever made it.
void CRecordWindow::FetchHistory()
{
    if (!m_syncJob)
        return;
    const QString lift = m_liftModel.index(m_lifts->currentIndex().row(), 0).data().toString();
    bool ok = false;
    const QString id =
        QInputDialog::getText(this, "取电梯历史", "电梯ID：", QLineEdit::Normal, lift, &ok).trimmed();
    if (ok && !id.isEmpty() && m_syncJob->startHistory(id)) {
        m_syncResult = QString("正在取电梯 %1 的历史…").arg(id);
        ShowState();
    }
}

// The report of the chosen visit; the running one too, as it stands now.
void CRecordWindow::ShowReport()
{
    if (const QString visit = SelectedVisit(); !visit.isEmpty())
        CReportDlg::Open(this, CServiceRecord::Instance(), visit);
}
