// SPDX-License-Identifier: GPL-3.0-or-later
// velor_line_bench: the parameter pages' reads and imports at the designed
// pace and on the fast line, one after the other in one main window against
// the controller on COM1 (velor-sim, which keeps the line's time).
// tools/line-bench starts it.
//
//   velor_line_bench compare     designed and fast times side by side, and their ratio
//   velor_line_bench needs-gap   every read on the fast line against a controller that
//                                needs a pause after its reply: values as at the designed pace?

#include "ui/ListView.h"
#include "app/MainDlg.h"
#include "ui/MessageBox.h"
#include "ui/Page.h"
#include "app/PageTab.h"
#include "app/ServiceApp.h"
#include "ui/TemplateLoader.h"
#include "link/FastLine.h"
#include "link/LineTap.h"
#include "params/DoorParamPage.h"
#include "params/LiftParamPage.h"
#include "params/ParamFile.h"
#include "res/Resources.h"
#include "tests/FileChooser.h"
#include "tests/ModalActions.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

enum Button { kImport = 1008, kRefresh = 1002, kSave = 1035 };

int g_boxes = 0;
int g_fallBacks = 0;

struct Page
{
    const char* name;
    int index;
    int rows;
};
constexpr Page kLiftPage = {"elevator", CLiftParamPage::kPageIndex, 173};
constexpr Page kDoorPage = {"door", CDoorParamPage::kPageIndex, 79};

class CBench
{
public:
    explicit CBench(CMainDlg& dialog) : m_dialog(dialog) {}

    CPage* Show(const Page& page)
    {
        m_dialog.PageTab()->SelectTab(page.index);
        return m_dialog.PageTab()->Page(page.index);
    }
    static QTreeWidget* List(CPage* page) { return Control<QTreeWidget>(page, 1032); }
    static QStringList Values(CPage* page)
    {
        QStringList values;
        for (int row = 0; row < RowCount(List(page)); ++row)
            values << List(page)->topLevelItem(row)->text(1);
        return values;
    }
    // Milliseconds the button's operation took.
    static qint64 Time(CPage* page, int button)
    {
        QElapsedTimer clock;
        clock.start();
        Control<QPushButton>(page, button)->click();
        return clock.elapsed();
    }
    qint64 Read(const Page& page, QStringList* values = nullptr)
    {
        CPage* shown = Show(page);
        const qint64 ms = Time(shown, kRefresh);
        if (RowCount(List(shown)) != page.rows)
            fprintf(stderr, "%s read: %d rows of %d\n", page.name, RowCount(List(shown)), page.rows);
        if (values)
            *values = Values(shown);
        return ms;
    }
    qint64 WholeImport(const QString& path)
    {
        CPage* page = Show(kLiftPage);
        const CFileChooser chooser(path);
        CModalActions dialogs;
        dialogs.Queue(WriteWholeFile);
        return Time(page, kImport);
    }
    // The saved set with three values changed (to a step of their own per
    // run), imported through the review with its checked rows.
    qint64 ReviewedImport(const QString& saved, int step)
    {
        QFile file(saved);
        file.open(QIODevice::ReadOnly);
        ParamFileContents contents = CParamFile::Decode(file.readAll());
        for (ParamRecord& record : contents.records)
            if (record.number == 12)
                record.value = 300 + step;
            else if (record.number == 70 || record.number == 71)
                record.value = 5 + step;
        const QString changed = QDir::temp().filePath(QString("velor-bench-%1.F").arg(step));
        QString error;
        CParamFile::Save(changed, contents.records, error);
        CPage* page = Show(kLiftPage);
        const CFileChooser chooser(changed);
        CModalActions dialogs;
        dialogs.Queue([](QWidget* review) { QTest::keyClick(review, Qt::Key_Return); });
        const qint64 ms = Time(page, kImport);
        QFile::remove(changed);
        return ms;
    }
    QString Save()
    {
        const QString path = QDir::temp().filePath("velor-bench-saved.F");
        CPage* page = Show(kLiftPage);
        const CFileChooser chooser(path);
        Control<QPushButton>(page, kSave)->click();
        return path;
    }

private:
    CMainDlg& m_dialog;
};

void PrintRow(const char* what, qint64 designed, qint64 fast)
{
    printf("%-32s %9lld ms %9lld ms %8.2f\n", what, designed, fast, designed > 0 ? double(fast) / designed : 0.0);
}

int Compare(CBench& bench)
{
    struct Times
    {
        qint64 lift = 0, door = 0, whole = 0, reviewed = 0;
    } times[2];
    bench.Read(kLiftPage);
    const QString saved = bench.Save();
    for (int fast = 0; fast < 2; ++fast) {
        CFastLine::SetEnabled(fast);
        Times& t = times[fast];
        t.lift = bench.Read(kLiftPage);
        t.door = bench.Read(kDoorPage);
        t.whole = bench.WholeImport(saved);
        t.reviewed = bench.ReviewedImport(saved, fast + 1);
    }
    CFastLine::SetEnabled(false);
    bench.WholeImport(saved); // the controller as it was
    QFile::remove(saved);
    printf("%-32s %12s %12s %8s\n", "", "designed", "fast line", "ratio");
    PrintRow("elevator read (174 exchanges)", times[0].lift, times[1].lift);
    PrintRow("door read (80 exchanges)", times[0].door, times[1].door);
    PrintRow("whole-file import (and re-read)", times[0].whole, times[1].whole);
    PrintRow("reviewed import of 3 changes", times[0].reviewed, times[1].reviewed);
    printf("message boxes %d (one per import), fall backs noted %d\n", g_boxes, g_fallBacks);
    return 0;
}

int NeedsGap(CBench& bench)
{
    int wrong = 0;
    for (const Page& page : {kLiftPage, kDoorPage}) {
        QStringList designed, fast;
        CFastLine::SetEnabled(false);
        const qint64 designedMs = bench.Read(page, &designed);
        CFastLine::SetEnabled(true);
        g_fallBacks = 0;
        const qint64 fastMs = bench.Read(page, &fast);
        const bool right = fast.size() == page.rows && fast == designed;
        wrong += !right;
        printf("%s read: designed %lld ms, fast line %lld ms, %lld rows, values %s, fall backs noted %d\n",
               page.name, designedMs, fastMs, static_cast<long long>(fast.size()), right ? "right" : "WRONG",
               g_fallBacks);
    }
    printf("message boxes %d\n", g_boxes);
    return wrong || g_boxes ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || (QByteArray(argv[1]) != "compare" && QByteArray(argv[1]) != "needs-gap")) {
        fprintf(stderr, "usage: velor_line_bench compare|needs-gap\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InitVelorResources();
    CServiceApp::InstallLinkHooks();
    SetMessageBoxHandler([](const MessageBoxCall& call) {
        ++g_boxes;
        fprintf(stderr, "box: %s\n", qPrintable(call.text));
        return IDOK;
    });
    CLineTap::SetListener([](const CLineTap::Frame& frame) { g_fallBacks += frame.note && !frame.bytes.size() && frame.baud == 0; });
    CMainDlg dialog;
    dialog.OnInitDialog();
    if (dialog.PageTab()->TabCount() == 0) {
        fprintf(stderr, "velor_line_bench: no pages (settings or port missing)\n");
        return 1;
    }
    CBench bench(dialog);
    return QByteArray(argv[1]) == "compare" ? Compare(bench) : NeedsGap(bench);
}
