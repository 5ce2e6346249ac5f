// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/DoorParamPage.h"
#include "params/LiftParamPage.h"

#include "ui/ListView.h"
#include "ui/ProgressStrip.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "link/Cancel.h"
#include "link/TimeScale.h"
#include "params/ParamFile.h"
#include "params/ParamFileDialog.h"
#include "res/StringTable.h"
#include "sim/SimReply.h"
#include "params/CsvReport.h"
#include "tests/CsvRows.h"
#include "tests/DialogDriver.h"
#include "tests/FileAccessLimits.h"
#include "tests/FileChooser.h"
#include "tests/Misbehaviours.h"
#include "tests/ModalActions.h"
#include "tests/ScriptedPeerTest.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>
#include <deque>

namespace {

std::string ReadRequest(int n)
{
    CFrameBuffer frame;
    frame.BuildByteArg(0xFF, 'A', '5', n);
    return frame.Data();
}

std::string WriteRequest(int n, int value)
{
    CFrameBuffer frame;
    frame.BuildByteWordArg(0xFF, 'F', '5', n, value);
    return frame.Data();
}

bool IsRead(const std::string& request, int n)
{
    return request == ReadRequest(n);
}

// The longest time between two repaints of a widget while it lives, counted
// from its first repaint; with a period the widget is asked to repaint that
// often.
class CRepaintGaps : public QObject
{
public:
    explicit CRepaintGaps(QWidget* widget, int periodMs = 10)
        : m_widget(widget)
    {
        widget->installEventFilter(this);
        if (periodMs > 0)
            m_timer = startTimer(periodMs);
        m_clock.start();
    }
    qint64 LongestGap() const { return m_longest; }
    int Paints() const { return m_paints; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const qint64 now = m_clock.elapsed();
            if (m_paints++ > 0)
                m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        }
        return false;
    }
    void timerEvent(QTimerEvent*) override { m_widget->update(); }

private:
    QWidget* m_widget;
    QElapsedTimer m_clock;
    int m_timer = 0;
    int m_paints = 0;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

class ParamPageTest : public CScriptedPeerTest
{
protected:
    CLiftParamPage& LiftPage(bool longRecord = true)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.longRecord = longRecord});
        m_page = std::make_unique<CLiftParamPage>();
        m_page->resize(460, 600);
        m_page->show();
        return static_cast<CLiftParamPage&>(*m_page);
    }
    // The door machine is taken to be on the line, whatever the line's rate.
    CDoorParamPage& DoorPage()
    {
        m_answerBaud = m_sim->Options().doorBaud;
        m_page = std::make_unique<CDoorParamPage>();
        m_page->resize(460, 600);
        m_page->show();
        return static_cast<CDoorParamPage&>(*m_page);
    }

    QTreeWidget* List() { return m_page->List(); }
    QString Cell(int row, int column) { return RowText(List(), row, column); }
    void Click(int button) { Control<QPushButton>(m_page.get(), button)->click(); }
    void ClickRow(int row) { DialogDriver::ClickRow(List(), row); }
    QString TempPath(const QString& name) { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<CParamListPage> m_page;
};

} // namespace

TEST_F(ParamPageTest, ProbeReplyOf23CharactersReadsTheLongSetAnd22TheShortOne)
{
    for (const int length : {22, 23}) {
        const bool longForm = length == 23;
        const int count = longForm ? 173 : 114;
        CLiftParamPage& page = LiftPage(longForm);
        CSimParameterSet& parameters = m_sim->MainBoard().Parameters();
        parameters.Write(65, 0x1234);
        parameters.Write(113, 0x1234);
        m_answer = [length](const std::string& request) -> std::optional<std::string> {
            if (IsRead(request, 66)) // a one-byte value in its two digits: a reply of 12 characters
                return CSimReply('A', '5').AddByte(66).AddByte(33).Frame();
            if (request.substr(3, 2) != "A1")
                return std::nullopt;
            return CSimReply('A', '1').AddText(std::string(length - 8, '0')).Frame();
        };
        CRepaintGaps rows(List()->viewport(), 0);
        ClearRequests();
        page.GiveFocus();
        EXPECT_GT(rows.Paints(), count / 4); // rows appear while the read goes on

        EXPECT_EQ(page.IsLongFormat(), longForm);
        ASSERT_EQ(RowCount(List()), count);
        ASSERT_EQ(Requests().size(), count + 1u);
        EXPECT_EQ(Requests().back(), ReadRequest(count - 1));
        EXPECT_EQ(Cell(count - 1, 0), QString("F%1").arg(count - 1));
        EXPECT_EQ(RowItemData(List(), count - 1), count - 1);
        EXPECT_EQ(Cell(0, 2), StringText(longForm ? 1 : 355));
        // F65 is a floor's display code on the long set only; F113 on the short one.
        const QStringList values{Cell(65, 1), Cell(66, 1), Cell(113, 1)};
        EXPECT_EQ(values, longForm ? QStringList({"52", "33", "4660"}) : QStringList({"4660", "33", "52"}));
    }
    EXPECT_EQ(m_boxes.Count(), 0);
}

TEST_F(ParamPageTest, ReadFailingAtF40KeepsF0ToF39AndTheNextFocusDoesNotReadAgain)
{
    CLiftParamPage& page = LiftPage(false);
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        return IsRead(request, 40) ? std::optional<std::string>("") : std::nullopt;
    };
    page.GiveFocus();
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请刷新!"});
    EXPECT_EQ(RowCount(List()), 40);
    EXPECT_EQ(Cell(39, 0), "F39");
    EXPECT_EQ(Requests().size(), 43u); // the probe, F0 to F39, F40 twice

    ClearRequests();
    page.OnKillFocus();
    page.GiveFocus();
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(m_boxes.Count(), 1);
}

TEST_F(ParamPageTest, SilentProbeLeavesTheListEmptyAndNamesTheRateUntilTheNextFocus)
{
    CLiftParamPage& page = LiftPage();
    m_sim->Misbehaviour().silent = true;
    page.GiveFocus();
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"控制器无应答：请检查连线和波特率（9600）"});
}

TEST_F(ParamPageTest, DoorMachineLeavesOutAGarbledF10AndStopsAtItsSilence)
{
    CDoorParamPage& page = DoorPage();
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (IsRead(request, 10))
            return CSimReply('A', '5').AddByte(10).AddWord(20).Frame().replace(11, 1, "0");
        if (IsRead(request, 30))
            return CSimReply('A', '5').AddByte(30).AddText("14").Frame(); // 12 characters: no whole value
        if (IsRead(request, 31))
            return CSimReply('A', '6').AddByte(31).AddWord(20).Frame();
        if (IsRead(request, 60))
            return std::string();
        return std::nullopt;
    };
    page.GiveFocus();
    EXPECT_EQ(Requests().size(), 61u);
    ASSERT_EQ(RowCount(List()), 57);
    EXPECT_EQ(Cell(10, 0), "F11");
    EXPECT_EQ(RowItemData(List(), 10), 11);
    EXPECT_EQ(Cell(10, 1), "800");
    EXPECT_EQ(Cell(10, 2), StringText(611));

    CModalActions dialogs;
    dialogs.Queue(EnterValue("900"));
    ClearRequests();
    ClickRow(10);
    EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(11, 900), ReadRequest(11)}));
    EXPECT_EQ(Cell(10, 1), "900");
    EXPECT_EQ(m_sim->DoorMachine().Parameters().Value(11), 900);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Saving writes four bytes per parameter under a dated name. Importing that
// file into a controller where three parameters changed shows just those
// three; Escape writes nothing, Return writes the ones left checked, reads
// back only their rows and says how many went in.
TEST_F(ParamPageTest, SavedSetImportsBackOnlyTheCheckedDifferences)
{
    CLiftParamPage& page = LiftPage();
    const QString path = TempPath("lift.F");
    CFileChooser chooser(path);
    Click(1035);
    EXPECT_EQ(chooser.Count(), 0); // nothing to save yet

    page.GiveFocus();
    Click(1035);
    EXPECT_TRUE(chooser.Last().save);
    EXPECT_EQ(chooser.Last().baseName, "电梯参数");
    EXPECT_EQ(chooser.Last().fileName, "电梯参数-" + QDate::currentDate().toString(Qt::ISODate) + ".F");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 692);
    EXPECT_EQ(bytes.mid(12 * 4, 4), QByteArray("\x0C\x00\x2C\x01", 4)); // F12 = 300
    EXPECT_EQ(bytes.mid(172 * 4, 1), QByteArray("\xAC", 1));

    CSimParameterSet& board = m_sim->MainBoard().Parameters();
    const int f30 = board.Value(30), f70 = board.Value(70);
    for (const int n : {12, 30, 70})
        board.Write(n, 1);
    Click(1002); // the list as the controller now has it
    CModalActions dialogs;
    dialogs.Queue([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    ClearRequests();
    Click(1008);
    EXPECT_FALSE(chooser.Last().save);
    EXPECT_EQ(chooser.Last().folder, m_dir.path()) << "the folder of the last file";
    EXPECT_TRUE(Requests().empty()) << "Escape writes nothing";

    QStringList summary, rows;
    dialogs.Queue([&](QWidget* dialog) {
        summary << dialog->findChildren<QLabel*>()[0]->text();
        auto* list = dialog->findChild<QTreeWidget*>(CParamReviewDlg::kListName);
        for (int row = 0; row < RowCount(list); ++row)
            rows << QStringList{RowText(list, row, 0), RowText(list, row, 2), RowText(list, row, 3)}.join(" ");
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked); // F30 stays as the controller has it
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    m_boxes.Clear();
    ClearRequests();
    Click(1008);
    EXPECT_EQ(summary, QStringList{"文件 173 条记录：相同 170，不同 3，超出本页列表 0"});
    EXPECT_EQ(rows, (QStringList{"F12 1 300", QString("F30 1 %1").arg(f30), QString("F70 1 %1").arg(f70)}));
    EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(12, 300), WriteRequest(70, f70), ReadRequest(12),
                                                    ReadRequest(70)}));
    EXPECT_EQ((QStringList{Cell(12, 1), Cell(30, 1), Cell(70, 1)}), (QStringList{"300", "1", QString::number(f70)}));
    EXPECT_EQ(m_boxes.Texts(), QStringList{"已写入 2 个参数。"});
    EXPECT_EQ(dialogs.Pending(), 0);
}

TEST_F(ParamPageTest, ImportWritesNoMoreRecordsThanTheListHasRowsAndGoesOnAfterForeignLetters)
{
    const QString path = TempPath("lift.F");
    std::vector<ParamRecord> records;
    for (int n = 0; n < 173; ++n)
        records.push_back({n, n + 1000});
    QString error;
    ASSERT_TRUE(CParamFile::Save(path, records, error));
    CFileChooser chooser(path);

    CLiftParamPage& page = LiftPage(false);
    page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 114);
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (request == WriteRequest(5, 1005))
            return CSimReply('A', '5').AddByte(5).Frame();
        return request.substr(3, 2) == "A1" ? std::optional<std::string>("") : std::nullopt;
    };
    ClearRequests();
    CModalActions dialogs;
    dialogs.Queue(WriteWholeFile);
    Click(1008);
    const std::vector<std::string> requests = Requests();
    ASSERT_EQ(requests.size(), 114u + 1); // then the probe of the new read
    for (int n = 0; n < 114; ++n)
        EXPECT_EQ(requests[n], WriteRequest(n, n + 1000)) << n;
    EXPECT_EQ(m_boxes.Texts(), QStringList{"控制器无应答：请检查连线和波特率（9600）"}) << "the silent read, not the import";
}

TEST_F(ParamPageTest, RefusedWriteOfF12EndsTheImportWithItsNumberAndTheListIsReadAgain)
{
    for (const bool door : {false, true}) {
        CParamListPage& page = door ? static_cast<CParamListPage&>(DoorPage()) : LiftPage(false);
        const int count = door ? 79 : 114;
        page.GiveFocus();
        const QString path = TempPath("set.F");
        CFileChooser chooser(path);
        Click(1035);
        EXPECT_EQ(QFile(path).size(), count * 4);
        EXPECT_EQ(chooser.Last().baseName, door ? "门机参数" : "电梯参数");
        // F12 refused; the read after the import finds the controller silent.
        m_answer = [](const std::string& request) -> std::optional<std::string> {
            if (request.substr(3, 4) == "F50C")
                return CSimReply('F', '5').AddText("000").Frame();
            return request[3] == 'A' ? std::optional<std::string>("") : std::nullopt;
        };
        ClearRequests();
        CModalActions dialogs;
        dialogs.Queue(WriteWholeFile);
        Click(1008);
        ASSERT_EQ(m_boxes.Count(), 2);
        EXPECT_EQ(m_boxes.Texts()[0], "写F12参数失败");
        EXPECT_TRUE(m_boxes.Texts()[1].startsWith("控制器无应答")) << "the silent read after it";
        const std::vector<std::string> requests = Requests();
        ASSERT_EQ(requests.size(), 14u);
        EXPECT_EQ(requests[12].substr(3, 4), "F50C");
        EXPECT_EQ(requests[13].substr(3, 2), door ? "A5" : "A1");
        EXPECT_EQ(RowCount(List()), 0);
        m_boxes.Clear();
        m_answer = nullptr;
    }
}

TEST_F(ParamPageTest, SaveThatCannotFinishLeavesTheOldFileWholeAndSaysWhy)
{
    CDoorParamPage& page = DoorPage();
    page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 79);
    const QString path = TempPath("door.F");
    QByteArray old(456, '\x5A');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    CFileChooser chooser(path);
    {
        const CFileSizeLimit limit(100);
        Click(1035);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    ASSERT_EQ(m_boxes.Count(), 1);
    EXPECT_TRUE(m_boxes.Texts()[0].startsWith("无法保存参数文件 " + path)) << m_boxes.Texts()[0].toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"door.F"}); // no temporary left

    m_boxes.Clear();
    Click(1035);
    EXPECT_EQ(QFile(path).size(), 79 * 4);
    EXPECT_EQ(m_boxes.Count(), 0);

    const QString missing = TempPath("no/such/folder/door.F");
    CFileChooser chooseMissing(missing);
    ClearRequests();
    Click(1008);
    Click(1035);
    ASSERT_EQ(m_boxes.Count(), 2);
    EXPECT_TRUE(m_boxes.Texts()[0].startsWith("无法打开参数文件 " + missing));
    EXPECT_TRUE(m_boxes.Texts()[1].startsWith("无法创建参数文件 " + missing));
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(RowCount(List()), 79);
}

// The value entry dialog takes only a whole number within the parameter's
// range: a typing slip writes nothing. A taken value is written and the row
// shows what the board then holds; a write the board refuses is named.
TEST_F(ParamPageTest, ValueEntryWritesOnlyAWholeNumberInRangeAndNamesARefusal)
{
    CLiftParamPage& page = LiftPage();
    page.GiveFocus();
    const int row = 140;
    ASSERT_EQ(RowItemData(List(), row), 140); // an identity parameter: an ordinary value
    CModalActions dialogs;
    QString prompt;
    dialogs.Queue([&](QWidget* dialog) {
        prompt = Control<QLabel>(dialog, 1036)->text();
        PressCancel(dialog);
    });
    for (const char* slip : {"abc", "70000", "-5", "1.75"})
        dialogs.Queue(EnterValue(slip));
    ClearRequests();
    for (int click = 0; click < 5; ++click)
        ClickRow(row);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(prompt, Cell(row, 2));
    EXPECT_EQ(m_boxes.Count(), 4);
    EXPECT_EQ(m_boxes.Texts().value(0), "参数值必须是 0 到 65535 之间的整数。");

    dialogs.Queue(EnterValue("65535"));
    ClearRequests();
    ClickRow(row);
    EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(140, 65535), ReadRequest(140)}));
    EXPECT_EQ(Cell(row, 1), "65535");

    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (request.substr(3, 2) == "F5")
            return CSimReply('F', '5').AddText("0").Frame();
        return std::nullopt;
    };
    dialogs.Queue(EnterValue("7"));
    m_boxes.Clear();
    ClickRow(row);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"F140 写入被拒绝"});
    EXPECT_EQ(Cell(row, 1), "65535") << "the board's value";
    m_answer = nullptr;

    // The telephone number belongs to the general page: nothing is sent.
    m_boxes.Clear();
    ClearRequests();
    ClickRow(145);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"请在一般参数中修改电话号码"});
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(dialogs.Pending(), 0);
}

TEST_F(ParamPageTest, BitMaskIsReadBeforeItsDialogAndWrittenInWireOrder)
{
    CLiftParamPage& page = LiftPage();
    page.GiveFocus();
    m_sim->MainBoard().Parameters().Write(25, 0x0200); // bit 9: the box labelled 10
    CModalActions dialogs;
    bool tenthTicked = false;
    dialogs.Queue([&](QWidget* dialog) {
        tenthTicked = Control<QCheckBox>(dialog, 1022)->isChecked();
        PressCancel(dialog);
    });
    dialogs.Queue([](QWidget* dialog) {
        Control<QCheckBox>(dialog, 1013)->setChecked(true);
        Control<QAbstractButton>(dialog, 1)->click();
    });
    ClearRequests();
    ClickRow(25);
    EXPECT_TRUE(tenthTicked);
    EXPECT_EQ(Requests(), std::vector<std::string>{ReadRequest(25)});

    ClearRequests();
    ClickRow(25);
    CFrameBuffer write;
    write.BuildByteTextArg(0xFF, 'F', '5', 25, "0102"); // 0x0201, low byte first
    EXPECT_EQ(Requests(), (std::vector<std::string>{ReadRequest(25), write.Data(), ReadRequest(25)}));
    EXPECT_EQ(Cell(25, 1), "513");
    EXPECT_EQ(List()->topLevelItem(25)->toolTip(1), "0000 0010 0000 0001") << "the bits, highest first";

    // A reply with other letters skips the dialog; silence asks for another click.
    m_answer = [foreign = 2](const std::string&) mutable -> std::optional<std::string> {
        return foreign-- > 0 ? std::optional(CSimReply('A', '6').AddByte(26).Frame()) : std::nullopt;
    };
    m_sim->MainBoard().Parameters().Write(26, 7);
    ClearRequests();
    ClickRow(26);
    EXPECT_EQ(Requests(), (std::vector<std::string>(3, ReadRequest(26))));
    EXPECT_EQ(Cell(26, 1), "7");
    EXPECT_EQ(List()->topLevelItem(26)->toolTip(1), "0000 0000 0000 0111");
    EXPECT_EQ(List()->topLevelItem(140)->toolTip(1), "") << "an ordinary value says it all";
    m_sim->Misbehaviour().silent = true;
    ClearRequests();
    ClickRow(27);
    EXPECT_EQ(Requests(), (std::vector<std::string>(2, ReadRequest(27))));
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请再点击一次!"});
    EXPECT_EQ(dialogs.Pending(), 0);
}

TEST_F(ParamPageTest, DisplayCodeDialogOpensAtTheRowsCodeAndWritesTheChosenOne)
{
    CLiftParamPage& page = LiftPage(false);
    page.GiveFocus();
    ASSERT_EQ(Cell(70, 1), "5");
    EXPECT_EQ(List()->topLevelItem(70)->toolTip(1), "5");
    CModalActions dialogs;
    int shownCode = 0;
    dialogs.Queue([&](QWidget* dialog) {
        shownCode = Control<QComboBox>(dialog, 1054)->currentData().toInt();
        PressCancel(dialog);
    });
    dialogs.Queue([](QWidget* dialog) {
        auto* codes = Control<QComboBox>(dialog, 1054);
        codes->setCurrentIndex(codes->findData(60));
        Control<QAbstractButton>(dialog, 1)->click();
    });
    ClearRequests();
    ClickRow(70);
    EXPECT_EQ(shownCode, 5);
    EXPECT_TRUE(Requests().empty());
    ClickRow(70);
    EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(70, 60), ReadRequest(70)}));
    EXPECT_EQ(Cell(70, 1), "60");
    EXPECT_EQ(List()->topLevelItem(70)->toolTip(1), "B1") << "the floor text of the code";
    const QString path = TempPath("lift.csv");
    CFileChooser chooser(path);
    TriggerExport(List());
    EXPECT_EQ(CsvFileRows(path).value(71), (QStringList{"F70", "60", "B1", Cell(70, 2).trimmed()})) << "the export says it too";
}

// Each editor range of the elevator parameters, at both ends and beside
// them: the editor a click opens (cancelled), or the telephone note.
TEST_F(ParamPageTest, EditorRangesOpenTheirEditorFromEndToEnd)
{
    LiftPage().GiveFocus();
    ASSERT_EQ(RowCount(List()), 173);
    const std::pair<int, const char*> editors[] = {
        {24, "CValueDlg"},  {25, "CBitMaskDlg"},      {31, "CBitMaskDlg"},      {32, "CValueDlg"},
        {49, "CValueDlg"},  {50, "CBitMaskDlg"},      {55, "CBitMaskDlg"},      {56, "CValueDlg"},
        {64, "CValueDlg"},  {65, "CDisplayCodeDlg"},  {113, "CDisplayCodeDlg"}, {114, "CValueDlg"},
        {133, "CValueDlg"}, {134, "CBitMaskDlg"},     {139, "CBitMaskDlg"},     {140, "CValueDlg"},
        {144, "CValueDlg"}, {145, "telephone note"},  {151, "telephone note"},  {152, "CValueDlg"},
        {160, "CValueDlg"}, {161, "CLockoutDlg"},     {162, "CValueDlg"},       {169, "CValueDlg"},
        {170, "CBitMaskDlg"}, {172, "CBitMaskDlg"},
    };
    CModalActions dialogs;
    for (const auto& [n, editor] : editors) {
        QString opened;
        dialogs.Queue([&opened](QWidget* dialog) {
            opened = dialog->metaObject()->className();
            PressCancel(dialog);
        });
        m_boxes.Clear();
        ClickRow(n);
        dialogs.DropPending();
        if (m_boxes.Texts() == QStringList{"请在一般参数中修改电话号码"})
            opened = "telephone note";
        EXPECT_EQ(opened.toStdString(), editor) << "F" << n;
    }
}

// The reset's answer comes late; any reply but a refusal counts as done, and
// the list is read again in any case.
TEST_F(ParamPageTest, ResetAsksFirstAndIsReportedOnlyWhenRefusedOrUnansweredAndTheListIsReadAgain)
{
    DoorPage();
    m_boxes.SetAnswer(IDNO);
    Click(1004);
    EXPECT_TRUE(Requests().empty()) << "No sends nothing";
    EXPECT_EQ(m_boxes.Texts(), QStringList{"复位将重置门机的全部参数。\n确定要复位吗？"});
    m_boxes.Clear();
    m_boxes.SetAnswer(IDYES);
    m_sim->DoorMachine().Parameters().Write(11, 1);
    Click(1004);
    EXPECT_EQ(Requests().size(), 1u + 79);
    EXPECT_EQ(RowCount(List()), 79);
    EXPECT_EQ(Cell(11, 1), "800");
    EXPECT_EQ(m_boxes.Count(), 1);

    m_answer = [](const std::string& request) -> std::optional<std::string> {
        return request[3] == 'F' ? CSimReply('F', 'R').AddText("30").Frame() : std::string();
    };
    Click(1004);
    EXPECT_EQ(RowCount(List()), 0);
    m_answer = [](const std::string&) -> std::optional<std::string> { return std::string(); };
    Click(1004);
    EXPECT_EQ(m_boxes.Texts().filter("失败"), QStringList({"复位F参数失败", "复位F参数失败"}));
}

// The time function goes through the floor lockout dialog, which reads the
// floors' segments itself; the switch is written only after OK, read back
// after either button. The IC card button opens its dialog and nothing else.
TEST_F(ParamPageTest, TimeFunctionIsWrittenAfterTheLockoutDialogsOkAndReadBackInAnyCase)
{
    CLiftParamPage& page = LiftPage();
    m_sim->MainBoard().Parameters().Write(161, 1);
    page.GiveFocus();
    ASSERT_EQ(Cell(161, 1), "1");
    CModalActions dialogs;
    dialogs.Queue(PressCancel);
    dialogs.Queue([](QWidget* dialog) { Control<QAbstractButton>(dialog, 1)->click(); });
    QString cardDialog;
    dialogs.Queue([&](QWidget* dialog) {
        cardDialog = dialog->metaObject()->className();
        PressCancel(dialog);
    });

    ClearRequests();
    ClickRow(161);
    std::vector<std::string> requests = Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests.front(), ReadRequest(11)); // the dialog's own read of the floor count
    EXPECT_EQ(requests.back(), ReadRequest(161));
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const std::string& r) { return r[3] == 'F'; }), 0);

    ClearRequests();
    ClickRow(161);
    requests = Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2], WriteRequest(161, 1));
    EXPECT_EQ(requests.back(), ReadRequest(161));

    ClearRequests();
    Click(1037);
    EXPECT_EQ(cardDialog, "CICDlg");
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(dialogs.Pending(), 0);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Timing figures, printed rather than asserted: run with
// VELOR_MEASURE_PARAMS=1 velor_tests --gtest_filter='ParamPageTest.Timing*'
TEST_F(ParamPageTest, TimingOfAFullReadSaveAndImport)
{
    if (!qEnvironmentVariableIsSet("VELOR_MEASURE_PARAMS"))
        GTEST_SKIP() << "set VELOR_MEASURE_PARAMS=1 to measure";
    const CTimeScaleScope fullScale(1.0);
    CLiftParamPage& page = LiftPage();
    QElapsedTimer clock;
    CRepaintGaps window(&page); // asked to repaint every 10 ms, as a window being uncovered
    CRepaintGaps rows(List()->viewport(), 0);
    if (qEnvironmentVariableIsSet("VELOR_PROGRESS_PICTURE"))
        QTimer::singleShot(3000, &page, [&page] { page.grab().save(qEnvironmentVariable("VELOR_PROGRESS_PICTURE")); });
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    clock.start();
    page.GiveFocus();
    const qint64 read = clock.elapsed();
    getrusage(RUSAGE_SELF, &after);
    const auto cpuMs = [](const rusage& r) {
        return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
    };
    printf("processor time during the full read (progress shown): %.0f ms = %.2f %% of a core\n",
           cpuMs(after) - cpuMs(before), 100.0 * (cpuMs(after) - cpuMs(before)) / read);
    ASSERT_EQ(RowCount(List()), 173);
    printf("full read of 173: %lld ms = %.3f x 173 x (50 + 80) ms; longest gap between repaints: window %lld ms, "
           "rows %lld ms over %d repaints\n",
           read, read / (173 * 130.0), window.LongestGap(), rows.LongestGap(), rows.Paints());

    CFileChooser chooser(TempPath("lift.F"));
    clock.restart();
    Click(1035);
    printf("save of 692 bytes: %lld ms\n", clock.elapsed());
    ASSERT_EQ(QFile(TempPath("lift.F")).size(), 692);
    CModalActions dialogs;
    dialogs.Queue(WriteWholeFile);
    ClearRequests();
    clock.restart();
    Click(1008);
    const qint64 import = clock.elapsed();
    ASSERT_EQ(Requests().size(), 173u + 1 + 173);
    printf("whole-file import of 692 bytes: %lld ms with the read after it, about %lld ms for the 173 writes\n",
           import, import - read);

    // Every parameter differs: the review's longest list.
    for (int n = 0; n < 173; ++n)
        m_sim->MainBoard().Parameters().Write(n, n % 2);
    page.GiveFocus();
    qint64 opened = 0;
    dialogs.Queue([&](QWidget* dialog) {
        opened = clock.elapsed();
        if (qEnvironmentVariableIsSet("VELOR_REVIEW_PICTURE"))
            dialog->grab().save(qEnvironmentVariable("VELOR_REVIEW_PICTURE"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Click(1002);
    clock.restart();
    Click(1008);
    printf("review of 173 differing parameters open after %lld ms\n", opened);

    // The saved set back in the board but for three parameters.
    CModalActions returns;
    QFile saved(TempPath("lift.F"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const ParamFileContents contents = CParamFile::Decode(saved.readAll());
    for (const ParamRecord& record : contents.records)
        m_sim->MainBoard().Parameters().Write(record.number, record.value);
    for (const int n : {6, 11, 140})
        m_sim->MainBoard().Parameters().Write(n, 1);
    Click(1002);
    returns.Queue([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    ClearRequests();
    clock.restart();
    Click(1008);
    const qint64 three = clock.elapsed();
    ASSERT_EQ(Requests().size(), 3u + 3);
    printf("import changing 3 of 173 parameters: %lld ms from the file dialog to the closing message\n", three);

    // Escape in the middle of a full read: the time until the read has ended.
    m_boxes.Clear();
    QElapsedTimer sinceEscape;
    size_t requestsAtEscape = 0;
    QTimer::singleShot(3000, &page, [&] {
        requestsAtEscape = Requests().size();
        sinceEscape.start();
        QTest::keyClick(List(), Qt::Key_Escape);
    });
    ClearRequests();
    Click(1002); // a whole list is read again from the start
    printf("Escape during a full read: the read ended %lld ms later, %zu requests after it (the one in flight: 0)\n",
           sinceEscape.elapsed(), Requests().size() - requestsAtEscape);
}

namespace {

// Acknowledges every parameter write as the board does, whatever its value;
// leaves the rest to the controller.
std::optional<std::string> AcknowledgeWrites(const std::string& request)
{
    if (request.substr(3, 2) == "F5")
        return CSimReply('F', '5').AddText("F").Frame();
    return std::nullopt;
}

QByteArray Records(int first, int count)
{
    std::vector<ParamRecord> records;
    for (int n = first; n < first + count; ++n)
        records.push_back({n, 2000 + n});
    return CParamFile::Encode(records);
}

// A file the technician may pick for import: what its review warns of, or
// the start of the message that refuses it, and how many records the import
// writes when the technician then writes the whole file (0: Escape instead).
struct OddFile
{
    const char* name;
    std::function<void(const QString& path)> make;
    const char* refusal;
    QStringList warnings; // the start of each warning
    int writes;
};

// Readable by everyone unless other permissions are given.
void WriteFile(const QString& path, const QByteArray& bytes,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    file.setPermissions(permissions);
}

const QString kCount = "文件有 %1 条记录，本页有 79 个参数";
const QString kCut = "文件在一条记录中间结束";
const QString kReserved = "记录的保留字节不是 0";
const QString kBeyond = "文件中的 F79、";

const OddFile kOddFiles[] = {
    {"empty", [](const QString& path) { WriteFile(path, {}); }, "无法导入参数文件", {}, 0},
    {"shorter than a record", [](const QString& path) { WriteFile(path, Records(0, 1).left(3)); }, "无法导入参数文件",
     {}, 0},
    {"a few records", [](const QString& path) { WriteFile(path, Records(0, 10)); }, nullptr, {kCount.arg(10)}, 10},
    {"not a multiple of 4 bytes", [](const QString& path) { WriteFile(path, Records(0, 10) + "\x01\x00"); }, nullptr,
     {kCount.arg(10), kCut}, 10},
    {"longer than the list", [](const QString& path) { WriteFile(path, Records(0, 250)); }, nullptr,
     {kCount.arg(250), kBeyond}, 79},
    {"foreign bytes", [](const QString& path) { WriteFile(path, "Parameter set of 2024-05-01\r\nF0=1\r\n"); },
     nullptr, {kCount.arg(8), kCut, "第1条、第2条", "文件中的 F80、"}, 0},
    {"records out of step", [](const QString& path) { WriteFile(path, Records(0, 60).remove(100, 1)); }, nullptr,
     {kCount.arg(59), kCut, "第26条、"}, 0},
    {"a directory", [](const QString& path) { QDir().mkpath(path); }, "无法打开参数文件", {}, 0},
    {"unreadable", [](const QString& path) { WriteFile(path, Records(0, 10), QFile::WriteOwner); },
     "无法打开参数文件", {}, 0},
};

} // namespace

// Whatever file is picked, nothing is written before the technician has seen
// what in it does not fit the page: another page's or generation's record
// count, a cut-off record, odd reserved bytes, parameters the page does not
// have. The whole-file import then writes as far as the list reaches; a file
// that cannot be read at all is refused with the file and the reason.
TEST_F(ParamPageTest, ImportOfAnOddFileIsReviewedWithWarningsOrRefusedWithTheReason)
{
    DoorPage().GiveFocus();
    ASSERT_EQ(RowCount(List()), 79);
    m_answer = AcknowledgeWrites;
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                            | QFile::ExeOther);
    for (const OddFile& odd : kOddFiles) {
        const QString path = TempPath(QString("%1.F").arg(odd.name));
        odd.make(path);
        CFileChooser chooser(path);
        CModalActions dialogs;
        QStringList warnings;
        dialogs.Queue([&](QWidget* dialog) {
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->text().startsWith("⚠ "))
                    warnings << label->text().mid(2);
            if (odd.writes > 0)
                WriteWholeFile(dialog);
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        m_boxes.Clear();
        ClearRequests();
        {
            const CUnprivilegedFileAccess user;
            Click(1008);
        }
        std::vector<std::string> writes;
        for (const std::string& request : Requests())
            if (request.substr(3, 2) == "F5")
                writes.push_back(request);
        ASSERT_EQ(writes.size(), size_t(odd.writes)) << odd.name;
        for (int n = 0; n < odd.writes; ++n)
            EXPECT_EQ(writes[n], WriteRequest(n, 2000 + n)) << odd.name << " F" << n;
        ASSERT_EQ(warnings.size(), odd.warnings.size()) << odd.name << ": " << warnings.join("\n").toStdString();
        for (int i = 0; i < warnings.size(); ++i)
            EXPECT_TRUE(warnings[i].contains(odd.warnings[i]))
                << odd.name << ": " << warnings[i].toStdString();
        if (odd.refusal) {
            ASSERT_EQ(m_boxes.Count(), 1) << odd.name;
            EXPECT_TRUE(m_boxes.Texts()[0].startsWith(QString("%1 %2：").arg(odd.refusal, path)))
                << odd.name << ": " << m_boxes.Texts()[0].toStdString();
            EXPECT_EQ(dialogs.Pending(), 1) << odd.name << ": no review of a file that cannot be read";
            dialogs.DropPending();
        }
        EXPECT_EQ(dialogs.Pending(), 0) << odd.name;
        EXPECT_EQ(RowCount(List()), 79) << odd.name << ": the list is kept or read again";
    }
}

// A click or key press on the page while a read holds the port is dropped,
// not acted on when the read ends.
TEST_F(ParamPageTest, InputDuringAReadIsDroppedNotReplayed)
{
    CDoorParamPage& page = DoorPage();
    CModalActions dialogs;
    dialogs.Queue(EnterValue("1"));
    QTimer::singleShot(CTimeScale::Ms(500), [&] {
        QTest::mouseClick(Control<QPushButton>(&page, 1004), Qt::LeftButton);
        QTest::keyClick(Control<QPushButton>(&page, 1002), Qt::Key_Space);
    });
    page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 79);
    ClearRequests();
    ClickRow(3);
    QTest::qWait(50);
    EXPECT_EQ(m_boxes.Count(), 0) << "no reset question";
    EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(3, 1), ReadRequest(3)})) << "no second read";
}

// Escape stops a read at the exchange in flight; the progress shows the rows
// read until then and goes with the read. 刷新 then goes on with the first
// parameter not shown, and reads everything again once the list is whole.
TEST_F(ParamPageTest, EscapeStopsAReadAndRefreshGoesOnWhereItStopped)
{
    CDoorParamPage& page = DoorPage();
    size_t atEscape = 0;
    QString progress;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (atEscape > 0 || Requests().size() < 31)
            return;
        atEscape = Requests().size();
        if (const auto* strip = page.findChild<CProgressStrip*>())
            progress = strip->Text();
        QTest::keyClick(List(), Qt::Key_Escape);
    });
    poll.start(1);
    page.GiveFocus();
    poll.stop();
    ASSERT_GT(atEscape, 0u);
    EXPECT_EQ(Requests().size(), atEscape) << "nothing after the request in flight";
    EXPECT_EQ(RowCount(List()), int(atEscape)) << "the reply in flight is shown";
    EXPECT_EQ(progress, QString("读取参数 %1/79").arg(atEscape - 1));
    EXPECT_EQ(page.findChild<CProgressStrip*>(), nullptr);
    ASSERT_EQ(m_boxes.Count(), 1) << "a stop says how far the read got, never a line failure";
    EXPECT_EQ(m_boxes.Texts().last(),
              QString("读取参数已停止：已读出 %1 / 79。\n按“刷新”从停止处继续读取。").arg(atEscape));

    ClearRequests();
    Click(1002);
    ASSERT_EQ(Requests().size(), 79 - atEscape);
    EXPECT_EQ(Requests().front(), ReadRequest(int(atEscape)));
    EXPECT_EQ(RowCount(List()), 79);
    EXPECT_EQ(RowItemData(List(), 78), 78);

    ClearRequests();
    Click(1002);
    ASSERT_EQ(Requests().size(), 79u);
    EXPECT_EQ(Requests().front(), ReadRequest(0));
}

// A list the controller did not fill is no backup: saving it asks first,
// naming how many parameters were read. A file in a folder the user may not
// add files to is written in place. Comparing shows the review without a way
// to write.
TEST_F(ParamPageTest, SavingAnIncompleteListAsksFirstAndComparingNeverWrites)
{
    CDoorParamPage& page = DoorPage();
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        return IsRead(request, 10) ? std::optional<std::string>(CSimReply('A', '6').Frame()) : std::nullopt;
    };
    page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 78);
    const QString path = TempPath("door.F");
    WriteFile(path, Records(0, 3));
    CFileChooser chooser(path);
    m_boxes.SetAnswer(IDNO);
    Click(1035);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"只读出了 79 个参数中的 78 个，保存的文件将不完整，不能作为完整的参数备份。\n仍要保存吗？"});
    EXPECT_EQ(chooser.Count(), 0);
    EXPECT_EQ(QFile(path).size(), 12);

    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);
    m_boxes.SetAnswer(IDYES);
    {
        const CUnprivilegedFileAccess user;
        Click(1035);
    }
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QFile(path).size(), 78 * 4) << m_boxes.Texts().join("\n").toStdString();

    QStringList enabled;
    CModalActions dialogs;
    dialogs.Queue([&](QWidget* dialog) {
        for (const char* name : {CParamReviewDlg::kWriteCheckedName, CParamReviewDlg::kWriteAllName})
            enabled << QString::number(dialog->findChild<QAbstractButton*>(name)->isEnabled());
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    m_answer = nullptr;
    ClearRequests();
    List()->actions().constFirst()->trigger();
    EXPECT_EQ(enabled, (QStringList{"0", "0"}));
    EXPECT_EQ(dialogs.Pending(), 0);
    for (const std::string& request : Requests())
        EXPECT_NE(request.substr(3, 2), "F5");
    EXPECT_EQ(RowCount(List()), 79) << "an incomplete list is read again before comparing";
}

// An import cut off by a refused record says how far it got: the records
// before it are in the controller, the rest are not.
TEST_F(ParamPageTest, ImportStoppedMidwayTellsHowManyRecordsWentIn)
{
    LiftPage(false).GiveFocus();
    const QString path = TempPath("lift.F");
    WriteFile(path, Records(0, 114));
    CFileChooser chooser(path);
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (request.substr(3, 4) == "F52E") // F46
            return CSimReply('F', '5').AddText("000").Frame();
        return AcknowledgeWrites(request);
    };
    ClearRequests();
    CModalActions dialogs;
    dialogs.Queue(WriteWholeFile);
    Click(1008);
    ASSERT_EQ(m_boxes.Count(), 1);
    EXPECT_EQ(m_boxes.Texts()[0], "写F46参数失败");
    EXPECT_EQ(m_boxes.Calls()[0].details, QString("文件 %1 的 114 条记录中，前 46 条已写入控制器；F46 的写入未得到确认，其后的记录未写入。").arg(path));
    const std::vector<std::string> requests = Requests();
    ASSERT_GT(requests.size(), 47u);
    EXPECT_EQ(requests[46], WriteRequest(46, 2046));
    EXPECT_EQ(requests[47].substr(3, 2), "A1") << "no record after the refused one";
    EXPECT_EQ(RowCount(List()), 114);
}

// Closing the window during an import stops it after the record in flight:
// no box, no read; Escape during a reset, which cannot be stopped part-way,
// stops nothing and blames nothing on the line.
TEST_F(ParamPageTest, CloseStopsAnImportAndEscapeLeavesAResetAlone)
{
    LiftPage(false).GiveFocus();
    const QString path = TempPath("lift.F");
    WriteFile(path, Records(0, 114));
    CFileChooser chooser(path);
    m_answer = AcknowledgeWrites;
    // Runs `action` once, from the event loop, when the peer has seen `count` frames.
    const auto atRequest = [this](QTimer& poll, size_t count, std::function<void()> action) {
        QObject::connect(&poll, &QTimer::timeout, [this, &poll, count, action = std::move(action)] {
            if (Requests().size() >= count) {
                poll.stop();
                action();
            }
        });
        poll.start(1);
    };
    ClearRequests();
    {
        CModalActions dialogs;
        dialogs.Queue(WriteWholeFile);
        QTimer poll;
        atRequest(poll, 20, [] { CCancel::SetClosing(true); });
        Click(1008);
    }
    const std::vector<std::string> requests = Requests();
    CCancel::SetClosing(false);
    EXPECT_EQ(requests.size(), 20u) << "nothing after the record in flight";
    EXPECT_EQ(requests.back(), WriteRequest(19, 2019));
    EXPECT_EQ(m_boxes.Count(), 0) << "no box once the window is closing";

    DoorPage();
    m_answer = nullptr;
    m_boxes.SetAnswer(IDYES);
    ClearRequests();
    QTimer poll;
    atRequest(poll, 1, [this] { QTest::keyClick(List(), Qt::Key_Escape); });
    Click(1004);
    EXPECT_EQ(Requests().size(), 1u + 79) << "the reset's reply is awaited and the list read again";
    EXPECT_EQ(m_boxes.Texts().filter("失败"), QStringList{});
}


namespace {

// Every row shows its own number and the board's value.
bool ShowsTheBoard(const QTreeWidget* list, const CSimParameterSet& board)
{
    for (int row = 0; row < RowCount(list); ++row) {
        const int n = RowItemData(list, row);
        if (RowText(list, row, 0) != QString("F%1").arg(n) || RowText(list, row, 1).toInt() != board.Value(n))
            return false;
    }
    return true;
}

// Enters one more than the board holds for F3 (row 3) while the controller
// misbehaves: the row keeps its value unless a good read-back shows the
// board's. The board gets its value back.
void CheckEditOfF3(QTreeWidget* list, CSimParameterSet& board, CModalActions& dialogs,
                   const Misbehaviour& misbehaviour, const std::string& name)
{
    const int f3 = board.Value(3);
    dialogs.Queue(EnterValue(QString::number(f3 + 1)));
    DialogDriver::ClickRow(list, 3);
    EXPECT_EQ(RowText(list, 3, 1), QString::number(misbehaviour.checkedReadsPass ? board.Value(3) : f3)) << name;
    board.Write(3, f3);
}

} // namespace

// Each misbehaviour end to end on the door machine page: an edited row keeps
// its value unless a good read-back shows the board's, an import without
// confirmation stops with its message, a read shows no row from a bad reply,
// and once the controller behaves the list is whole again.
TEST_F(ParamPageTest, MisbehavingControllerLeavesOnlyGoodValuesAndRecovers)
{
    DoorPage().GiveFocus();
    CSimParameterSet& board = m_sim->DoorMachine().Parameters();
    ASSERT_EQ(RowCount(List()), 79);
    // A file of the board's own first values: what an import writes changes nothing.
    std::vector<ParamRecord> records;
    for (int n = 0; n < 8; ++n)
        records.push_back({n, board.Value(n)});
    QString error;
    ASSERT_TRUE(CParamFile::Save(TempPath("good.F"), records, error));
    CFileChooser chooser(TempPath("good.F"));
    CModalActions dialogs;
    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        const std::string name = std::string("door, ") + misbehaviour.name;
        misbehaviour.start(m_sim->Misbehaviour());
        CheckEditOfF3(List(), board, dialogs, misbehaviour, name);
        m_boxes.Clear();
        dialogs.Queue(WriteWholeFile);
        Click(1008);
        const QStringList writeFailures = m_boxes.Texts().filter("参数失败");
        EXPECT_EQ(writeFailures, misbehaviour.writesUnconfirmed ? QStringList{"写F0参数失败"} : QStringList()) << name;
        EXPECT_EQ(dialogs.Pending(), 0) << name;
        EXPECT_EQ(RowCount(List()), misbehaviour.checkedReadsPass ? 79 : 0) << name;
        EXPECT_TRUE(ShowsTheBoard(List(), board)) << name;

        m_sim->Misbehaviour() = CSimMisbehaviour();
        m_boxes.Clear();
        Click(1002);
        EXPECT_EQ(RowCount(List()), 79) << "no recovery from " << name;
        EXPECT_TRUE(ShowsTheBoard(List(), board)) << name;
        EXPECT_EQ(m_boxes.Count(), 0) << name;
    }
}

// The same misbehaviours on the elevator parameter page, which shares the
// door machine page's edits and imports but reads with its generation probe
// and two tries and has bit masks: with the list in place, an edited row and
// a bit mask from a bad reply (never written back); then each misbehaving
// read, which shows no row from a bad reply, and the list whole again once
// the controller behaves.
TEST_F(ParamPageTest, MisbehavingControllerLeavesOnlyGoodValuesOnTheLiftPageAndRecovers)
{
    LiftPage(false).GiveFocus();
    CSimParameterSet& board = m_sim->MainBoard().Parameters();
    ASSERT_EQ(RowCount(List()), 114);
    CModalActions dialogs;
    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        const std::string name = std::string("lift, ") + misbehaviour.name;
        misbehaviour.start(m_sim->Misbehaviour());
        CheckEditOfF3(List(), board, dialogs, misbehaviour, name);
        dialogs.Queue([](QWidget* dialog) { Control<QAbstractButton>(dialog, 1)->click(); });
        ClearRequests();
        ClickRow(25);
        EXPECT_EQ(dialogs.Pending(), misbehaviour.checkedReadsPass ? 0 : 1) << name << ": mask dialog on a bad reply";
        dialogs.DropPending();
        for (const std::string& request : Requests())
            EXPECT_TRUE(misbehaviour.checkedReadsPass || request.substr(3, 2) != "F5") << name << ": mask written back";
        m_sim->Misbehaviour() = CSimMisbehaviour();
        EXPECT_TRUE(ShowsTheBoard(List(), board)) << name;
    }
    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        misbehaviour.start(m_sim->Misbehaviour());
        Click(1002);
        // A read that gets no value keeps the list as last read, marked.
        EXPECT_EQ(RowCount(List()), 114) << "lift, " << misbehaviour.name;
        EXPECT_EQ(m_page->IsNotUpdated(), !misbehaviour.checkedReadsPass) << "lift, " << misbehaviour.name;
        EXPECT_TRUE(ShowsTheBoard(List(), board)) << "lift, " << misbehaviour.name;
        m_sim->Misbehaviour() = CSimMisbehaviour();
    }
    m_boxes.Clear();
    Click(1002);
    EXPECT_EQ(RowCount(List()), 114) << "no recovery";
    EXPECT_TRUE(ShowsTheBoard(List(), board));
    EXPECT_EQ(m_boxes.Count(), 0);
    EXPECT_EQ(dialogs.Pending(), 0);
}

// Stray bytes ahead of the probe's reply do not make a short-record board
// look like a long-record one.
TEST_F(ParamPageTest, StrayBytesBeforeTheProbeReplyDoNotChangeTheGeneration)
{
    CLiftParamPage& page = LiftPage(false);
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (request.substr(3, 2) != "A1")
            return std::nullopt;
        return "~#" + CSimReply('A', '1').AddText(std::string(22 - 8, '0')).Frame(); // a short record's 22
    };
    page.GiveFocus();
    EXPECT_FALSE(page.IsLongFormat());
    EXPECT_EQ(RowCount(List()), 114);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Return, Enter and F2 edit the selected row as a click does, the arrow keys
// choose the row; Tab from the list reaches every button.
TEST_F(ParamPageTest, KeysOnTheSelectedRowEditItAsAClickDoesAndTabReachesEveryButton)
{
    DoorPage().GiveFocus();
    List()->setCurrentItem(List()->topLevelItem(10));
    const std::tuple<Qt::Key, Qt::Key, int> presses[] = {
        {Qt::Key_Down, Qt::Key_Return, 11}, {Qt::Key_Up, Qt::Key_F2, 10}, {Qt::Key_Down, Qt::Key_Enter, 11}};
    for (const auto& [move, edit, row] : presses) {
        CModalActions dialogs;
        dialogs.Queue(EnterValue(QString::number(row + 100)));
        ClearRequests();
        QTest::keyClick(List(), move);
        QTest::keyClick(List(), edit);
        EXPECT_EQ(Requests(), (std::vector<std::string>{WriteRequest(row, row + 100), ReadRequest(row)})) << edit;
    }
    m_page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
    List()->setFocus();
    QSet<QWidget*> reached;
    while (!reached.contains(QApplication::focusWidget()) && reached.size() < 20) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QPushButton* button : m_page->findChildren<QPushButton*>())
        EXPECT_TRUE(!button->isVisible() || reached.contains(button)) << button->text().toStdString();
}

// 导出 writes every row as the list shows it as a CSV report that reads back
// field for field (quotes, commas, line breaks); an empty list exports nothing.
TEST_F(ParamPageTest, ExportWritesTheShownRowsAsACsvReport)
{
    const QList<QStringList> odd{{"a,b", "say \"B1\"", "two\r\nlines", ""}, {"额定速度"}};
    EXPECT_EQ(CsvRows(CsvBytes(odd)), odd);
    DoorPage();
    CFileChooser chooser(TempPath("door.csv"));
    TriggerExport(List());
    EXPECT_EQ(chooser.Count(), 0);
    EXPECT_EQ(m_boxes.Count(), 1) << "nothing read, nothing to export";
    m_page->GiveFocus();
    TriggerExport(List());
    EXPECT_EQ(chooser.Last().fileName, "门机参数-" + QDate::currentDate().toString(Qt::ISODate) + ".csv");
    QList<QStringList> shown{{"编号", "参数", "可读值", "说明"}};
    for (QStringList row : ShownRows(List(), {0, 1, 1, 2})) {
        row[2].clear(); // a door machine value means what its number says
        shown << row;
    }
    EXPECT_EQ(CsvFileRows(TempPath("door.csv")), shown);
}

// Ctrl+F opens the find bar: a number or a part of a description leaves only
// the matching rows, Return edits the one found, Escape shows every row and
// gives the list its designed place; typing in the list opens the bar too.
TEST_F(ParamPageTest, FindBarShowsOnlyMatchingRowsAndEscapeRestoresTheDesignedList)
{
    DoorPage().GiveFocus();
    const QRect designed = List()->geometry();
    QTest::keyClick(List(), Qt::Key_F, Qt::ControlModifier);
    auto* edit = m_page->findChild<QWidget*>("findBar")->findChild<QLineEdit*>();
    ASSERT_TRUE(edit->isVisible());
    const std::pair<QString, QList<QStringList>> finds[] = {
        {"F6", {{"F6"}}}, {"6", {{"F6"}}}, {"f12", {{"F12"}}}, {"v/f", {{"F3"}}}, {"关门高速", {{"F12"}}}, {"无此参数", {}}};
    CModalActions dialogs;
    for (const auto& [query, rows] : finds) {
        edit->setText(query);
        EXPECT_EQ(ShownRows(List(), {0}), rows) << query.toStdString();
        dialogs.Queue(EnterValue("3"));
        ClearRequests();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(List(), Qt::Key_Return);
        EXPECT_EQ(Requests().size(), rows.empty() ? 0u : 2u) << "the row found is edited, never a hidden one";
        dialogs.DropPending();
    }
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(List()->topLevelItem(40)->isHidden());
    EXPECT_EQ(List()->geometry(), designed);
    QTest::keyClick(List(), Qt::Key_7);
    EXPECT_EQ(edit->isVisible() ? edit->text() : "", "7");
}

namespace {

QPushButton* DefaultButton(QWidget* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isDefault())
            return button;
    return nullptr;
}

int CheckedRows(QWidget* dialog)
{
    const auto* list = dialog->findChild<QTreeWidget*>(CParamReviewDlg::kListName);
    int checked = 0;
    for (int row = 0; row < RowCount(list); ++row)
        checked += list->topLevelItem(row)->checkState(0) == Qt::Checked;
    return checked;
}

size_t Writes(const std::vector<std::string>& requests)
{
    return std::count_if(requests.begin(), requests.end(), [](const std::string& r) { return r.substr(3, 2) == "F5"; });
}

} // namespace

// A file of another page or generation is a deliberate step away from the
// controller, not one Return: no row starts checked and 取消 is the default;
// a tick and 写入选中参数 write just that row. A file that fits starts with
// every row checked and writes on Return. The review tells when the
// controller's values were read.
TEST_F(ParamPageTest, ReviewOfAFileThatDoesNotFitThePageStartsUncheckedAndReturnWritesNothing)
{
    struct Case
    {
        const char* name;
        bool longController;
        int fileRecords;
        bool tickFirst; // tick the first row and press 写入选中参数; otherwise Return
        int checked;    // rows checked when the review opens
        const char* defaultButton;
        size_t writes;
    };
    const Case cases[] = {
        {"door machine file, elevator page", true, 79, false, 0, CParamReviewDlg::kCancelName, 0},
        {"long-record file, short-record controller", false, 173, false, 0, CParamReviewDlg::kCancelName, 0},
        {"the same with one row ticked", false, 173, true, 0, CParamReviewDlg::kCancelName, 1},
        {"a file of this page", false, 114, false, 114, CParamReviewDlg::kWriteCheckedName, 114},
    };
    for (const Case& c : cases) {
        CLiftParamPage& page = LiftPage(c.longController);
        page.GiveFocus();
        const QString path = TempPath("file.F");
        WriteFile(path, Records(0, c.fileRecords));
        CFileChooser chooser(path);
        m_answer = AcknowledgeWrites;
        int checked = -1;
        QString defaultButton, readAt;
        CModalActions dialogs;
        dialogs.Queue([&](QWidget* dialog) {
            checked = CheckedRows(dialog);
            defaultButton = DefaultButton(dialog)->objectName();
            readAt = dialog->findChild<QLabel*>(CParamReviewDlg::kReadAtName)->text();
            if (!c.tickFirst)
                return QTest::keyClick(dialog, Qt::Key_Return);
            dialog->findChild<QTreeWidget*>(CParamReviewDlg::kListName)->topLevelItem(0)->setCheckState(0, Qt::Checked);
            PressReviewButton(CParamReviewDlg::kWriteCheckedName)(dialog);
        });
        ClearRequests();
        m_boxes.Clear();
        Click(1008);
        EXPECT_EQ(dialogs.Pending(), 0) << c.name;
        EXPECT_EQ(checked, c.checked) << c.name;
        EXPECT_EQ(defaultButton, c.defaultButton) << c.name;
        EXPECT_EQ(readAt, "控制器值读于 " + page.Progress().ReadAt().toString("HH:mm")) << c.name;
        EXPECT_EQ(Writes(Requests()), c.writes) << c.name;
        if (c.writes == 1)
            EXPECT_EQ(Requests().front(), WriteRequest(0, 2000)) << c.name;
        EXPECT_EQ(m_boxes.Count(), c.writes > 0 ? 1 : 0) << c.name << ": " << m_boxes.Texts().join("|").toStdString();
        m_answer = nullptr;
    }
}

// Fresh values are compared as they are; values older than ten minutes are
// read again before the review, and 重新读取 reads them again and reviews anew.
TEST_F(ParamPageTest, ValuesAreReadAgainBeforeAReviewWhenStaleOrAsked)
{
    struct Case
    {
        const char* name;
        std::chrono::minutes age;
        bool readAgain;
        std::vector<size_t> requestsAtReviews; // at each review's opening
    };
    const Case cases[] = {
        {"fresh", std::chrono::minutes(9), false, {0}},
        {"eleven minutes old", std::chrono::minutes(11), false, {115}},
        {"重新读取", std::chrono::minutes(0), true, {0, 115}},
    };
    CLiftParamPage& page = LiftPage(false);
    page.GiveFocus();
    const QString path = TempPath("file.F");
    WriteFile(path, Records(0, 114));
    CFileChooser chooser(path);
    for (const Case& c : cases) {
        CReadProgress::SetClockOffset(c.age);
        std::vector<size_t> atReviews;
        CModalActions dialogs;
        dialogs.Queue([&](QWidget* dialog) {
            atReviews.push_back(Requests().size());
            if (c.readAgain)
                return PressReviewButton(CParamReviewDlg::kReadAgainName)(dialog);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        if (c.readAgain)
            dialogs.Queue([&](QWidget* dialog) {
                atReviews.push_back(Requests().size());
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        ClearRequests();
        Click(1008);
        CReadProgress::SetClockOffset(std::chrono::seconds(0));
        EXPECT_EQ(atReviews, c.requestsAtReviews) << c.name;
        EXPECT_EQ(Writes(Requests()), 0u) << c.name;
        if (Requests().size() > 1)
            EXPECT_EQ(Requests()[1], ReadRequest(0)) << c.name << ": read from the beginning";
        EXPECT_EQ(RowCount(List()), 114) << c.name;
    }
    EXPECT_EQ(m_boxes.Count(), 0);
}

// 刷新 after a read that stopped at F40 goes on from F40 only while the line
// stayed up and record 0 reads as before; otherwise the list is read again
// from F0 and never holds values of two controllers.
TEST_F(ParamPageTest, RefreshGoesOnFromTheGapOnlyWithTheSameController)
{
    struct Case
    {
        const char* name;
        std::function<void(CSimController&)> change;
        bool goesOn;
    };
    const Case cases[] = {
        {"nothing changed", [](CSimController&) {}, true},
        {"the port opened again", [](CSimController&) { ASSERT_EQ(g_port.Open(nullptr, 1, 9600, 'N', 8, 1, 0x49), 1); },
         false},
        {"another controller's record 0",
         [](CSimController& sim) { sim.MainBoard().FaultLog().Add(9, 3, sim.MainBoard().Clock()); }, false},
    };
    for (const Case& c : cases) {
        CLiftParamPage& page = LiftPage(false);
        m_answer = [](const std::string& request) -> std::optional<std::string> {
            return IsRead(request, 40) ? std::optional<std::string>("") : std::nullopt;
        };
        page.GiveFocus();
        ASSERT_EQ(RowCount(List()), 40) << c.name;
        m_answer = nullptr;
        c.change(*m_sim);
        ClearRequests();
        Click(1002);
        const std::vector<std::string> requests = Requests();
        ASSERT_EQ(requests.size(), c.goesOn ? 1u + 74 : 1u + 114) << c.name;
        EXPECT_EQ(requests[0].substr(3, 2), "A1") << c.name << ": the probe first";
        EXPECT_EQ(requests[1], ReadRequest(c.goesOn ? 40 : 0)) << c.name;
        EXPECT_EQ(RowCount(List()), 114) << c.name;
        m_boxes.Clear();
    }
}

// 9999 in the door machine's F0 restores every default: it is asked about
// first, No sends nothing, and after Yes the whole list is read again. 199
// (save) and other values go out without a question.
TEST_F(ParamPageTest, DoorMachineF0CommandThatRestoresDefaultsAsksFirst)
{
    struct Case
    {
        const char* value;
        int answer;
        bool asked;
        std::vector<std::string> firstRequests;
        size_t requests;
    };
    const Case cases[] = {
        {"9999", IDNO, true, {}, 0},
        {"9999", IDYES, true, {WriteRequest(0, 9999), ReadRequest(0)}, 1 + 79},
        {"199", IDYES, false, {WriteRequest(0, 199), ReadRequest(0)}, 2},
    };
    CDoorParamPage& page = DoorPage();
    page.GiveFocus();
    for (const Case& c : cases) {
        CModalActions dialogs;
        dialogs.Queue(EnterValue(c.value));
        m_boxes.Clear();
        m_boxes.SetAnswer(c.answer);
        ClearRequests();
        ClickRow(0);
        const std::vector<std::string> requests = Requests();
        ASSERT_EQ(requests.size(), c.requests) << c.value;
        EXPECT_TRUE(std::equal(c.firstRequests.begin(), c.firstRequests.end(), requests.begin())) << c.value;
        ASSERT_EQ(m_boxes.Count(), c.asked ? 1 : 0) << c.value;
        if (c.asked) {
            EXPECT_TRUE(m_boxes.Texts()[0].startsWith("F0 写入 9999 将使门机的全部参数恢复为出厂默认值")) << c.value;
            EXPECT_TRUE(m_boxes.Calls()[0].flags & MB_DEFBUTTON2) << c.value << ": No is the default";
        }
        EXPECT_EQ(RowCount(List()), 79) << c.value;
    }
}
