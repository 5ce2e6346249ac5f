// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecordWindow.h"

#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "params/LiftParamPage.h"
#include "params/ParamFileEditor.h"
#include "params/ParamImport.h"
#include "record/ServiceRecord.h"
#include "tests/FileChooser.h"
#include "tests/ModalActions.h"
#include "tests/ScriptedPeerTest.h"

#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

std::string WriteRequest(int n, int value)
{
    CFrameBuffer frame;
    frame.BuildByteWordArg(0xFF, 'F', '5', n, value);
    return frame.Data();
}

QStringList Column(const QTableView* view, int column)
{
    QStringList texts;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        texts << view->model()->index(row, column).data().toString();
    return texts;
}

QStringList ReviewRows(QWidget* dialog)
{
    auto* list = dialog->findChild<QTreeWidget*>(CParamReviewDlg::kListName);
    QStringList rows;
    for (int row = 0; row < RowCount(list); ++row)
        rows << QStringList{RowText(list, row, 0), RowText(list, row, 2), RowText(list, row, 3)}.join(" ");
    return rows;
}

std::vector<ParamRecord> Values(int count, int changed = -1)
{
    std::vector<ParamRecord> values;
    for (int n = 0; n < count; ++n)
        values.push_back({n, n == changed ? 999 : n * 3});
    return values;
}

class RecordWindowTest : public CScriptedPeerTest
{
protected:
    void TearDown() override
    {
        CServiceRecord::Instance().EndVisit();
        CScriptedPeerTest::TearDown();
    }
    void SelectVisit(CRecordWindow& window, const QString& lift)
    {
        window.Refresh();
        const QStringList lifts = Column(window.Lifts(), 0);
        window.Lifts()->selectRow(static_cast<int>(lifts.indexOf(lift)));
    }
    QTemporaryDir m_dir;
};

} // namespace

// A visit as the window shows it: its lift, identity, writes with their
// outcomes (one never told: velor was killed), snapshots that save byte for
// byte as the page saves and compare with each other; an unidentified visit
// is assigned to a lift.
TEST_F(RecordWindowTest, ShowsAVisitAndWorksWithItsSnapshotsWithoutAController)
{
    CServiceRecord& record = CServiceRecord::Instance();
    const QString visit = record.StartVisit();
    record.SetIdentity({"PROG-7", "LIFT-0042", "12345", 100, "26-12-08 10:00"});
    record.AddSnapshot("lift", Values(173), true, 173);
    record.AddWriteOutcome(record.AddWriteIntent("lift", "parameter", 12, "36", "40"), CServiceRecord::Outcome::Refused);
    record.AddWriteIntent("lift", "parameter", 13, "39", "41");
    record.SetIdentity({"PROG-7", "LIFT-0042", "12345", 101, "26-12-08 10:30"});
    record.AddSnapshot("lift", Values(173, 20), true, 173);
    record.EndVisit();
    const QString unidentified = record.StartVisit();
    record.EndVisit();

    CRecordWindow window;
    SelectVisit(window, "LIFT-0042");
    EXPECT_EQ(window.SelectedVisit(), visit);
    EXPECT_EQ(Column(window.Writes(), 6), (QStringList{"被拒绝", "未知（程序中途退出）"}));
    bool identityShown = false;
    for (QLabel* label : window.findChildren<QLabel*>())
        identityShown |= label->text().contains("运行次数：开始 100，结束 101");
    EXPECT_TRUE(identityShown);

    ASSERT_EQ(window.Snapshots()->model()->rowCount(), 2);
    window.Snapshots()->selectRow(0);
    const QString path = m_dir.filePath("kept.F");
    {
        CFileChooser chooser(path);
        window.SaveSnapshot();
    }
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), CParamFile::Encode(Values(173)));

    CModalActions dialogs;
    QStringList rows;
    dialogs.Queue([&rows](QWidget* dialog) {
        rows = ReviewRows(dialog);
        EXPECT_FALSE(dialog->findChild<QPushButton*>(CParamReviewDlg::kReadAgainName)->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    window.Snapshots()->selectionModel()->select(window.Snapshots()->model()->index(1, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.CompareTwoSnapshots();
    EXPECT_EQ(rows, QStringList{"F20 60 999"});

    SelectVisit(window, "");
    dialogs.Queue([](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        ASSERT_TRUE(input);
        input->setTextValue("LIFT-0042");
        input->accept();
    });
    for (int row = 0; row < window.Visits()->model()->rowCount(); ++row)
        if (Column(window.Visits(), 0)[row] == unidentified)
            window.Visits()->selectRow(row);
    window.AssignLift();
    SelectVisit(window, "LIFT-0042");
    EXPECT_TRUE(Column(window.Visits(), 0).contains(unidentified));
    EXPECT_EQ(m_boxes.Count(), 0);
}

// A file opened without a controller: edited with the page's dialogs, saved
// whole, and not closed with changes unsaved without a question.
TEST_F(RecordWindowTest, FileEditorEditsAndSavesWholeAndAsksBeforeDroppingChanges)
{
    CParamFileEditor editor({"lift.F", CParamCatalogue(CParamCatalogue::LongRecordMainBoard), Values(173), {}}, {});
    editor.show();
    auto* list = editor.findChild<QTreeWidget*>(CParamFileEditor::kListName);
    ASSERT_EQ(RowCount(list), 173);
    EXPECT_EQ(RowText(list, 25, 2), "0000 0000 0100 1011"); // a bit mask: 75
    CModalActions dialogs;
    dialogs.Queue(EnterValue("7"));
    list->setCurrentItem(list->topLevelItem(12));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(editor.Records()[12].value, 7);
    EXPECT_TRUE(editor.IsModified());

    m_boxes.SetAnswer(IDNO);
    editor.reject();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(m_boxes.Count(), 1);

    const QString path = m_dir.filePath("edited.F");
    CFileChooser chooser(path);
    for (QPushButton* button : editor.findChildren<QPushButton*>())
        if (button->text() == "另存为…")
            button->click();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    std::vector<ParamRecord> expected = Values(173);
    expected[12].value = 7;
    EXPECT_EQ(saved.readAll(), CParamFile::Encode(expected));
    EXPECT_FALSE(editor.IsModified());
}

// A restore reviews the kept values against fresh ones and writes only the
// rows left checked; each write's intent is in the record before the
// controller sees its frame.
TEST_F(RecordWindowTest, RestoreWritesOnlyTheCheckedDifferencesEachKeptBeforeItsFrame)
{
    CServiceRecord& record = CServiceRecord::Instance();
    const QString visit = record.StartVisit();
    m_sim = std::make_unique<CSimController>(CSimOptions{.longRecord = true});
    CLiftParamPage page;
    page.resize(460, 600);
    page.show();
    page.GiveFocus();
    CSimParameterSet& board = m_sim->MainBoard().Parameters();
    const int f12 = board.Value(12), f30 = board.Value(30), f70 = board.Value(70);
    for (const int n : {12, 30, 70})
        board.Write(n, 1);

    std::vector<int> keptBeforeFrame;
    m_answer = [&](const std::string& request) -> std::optional<std::string> {
        if (request.substr(3, 2) == "F5") {
            CServiceRecord reader(record.Path(), true);
            if (!reader.Open())
                return std::nullopt;
            QSqlQuery query(reader.Database());
            if (query.exec("SELECT parameter FROM record_writes WHERE outcome = 'unknown' ORDER BY at DESC") && query.next())
                keptBeforeFrame.push_back(query.value(0).toInt());
        }
        return std::nullopt;
    };
    CRecordWindow window;
    window.SetReviewHook([&page](const QString&, const KeptParameters& kept, CParamReviewDlg::Mode mode) {
        CParamImport(page).Review({kept.records, {}, 0}, kept.name, mode);
    });
    window.Refresh();
    const QStringList visits = Column(window.Visits(), 0);
    ASSERT_TRUE(visits.contains(visit));
    window.Visits()->selectRow(static_cast<int>(visits.indexOf(visit)));
    window.Snapshots()->selectRow(0);

    CModalActions dialogs;
    QStringList rows;
    dialogs.Queue([&rows](QWidget* dialog) {
        rows = ReviewRows(dialog);
        EXPECT_FALSE(dialog->findChild<QPushButton*>(CParamReviewDlg::kWriteAllName)->isVisible());
        dialog->findChild<QTreeWidget*>(CParamReviewDlg::kListName)->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    Control<QPushButton>(&page, 1002)->click(); // the list as the controller now has it
    ClearRequests();
    window.RestoreSnapshot();
    EXPECT_EQ(rows, (QStringList{QString("F12 1 %1").arg(f12), QString("F30 1 %1").arg(f30), QString("F70 1 %1").arg(f70)}));
    std::vector<std::string> writes;
    for (const std::string& request : Requests())
        if (request.substr(3, 2) == "F5")
            writes.push_back(request);
    EXPECT_EQ(writes, (std::vector<std::string>{WriteRequest(12, f12), WriteRequest(70, f70)}));
    EXPECT_EQ(keptBeforeFrame, (std::vector<int>{12, 70}));
    EXPECT_EQ(board.Value(30), 1);
}
