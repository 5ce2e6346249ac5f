// SPDX-License-Identifier: GPL-3.0-or-later
// The elevator status page's reply handler (A0 state, A3 calls, A8 speed and
// any other reply) on installations of several floor counts. The page must
// show only texts of its own tables, keep one row per floor and mark calls
// only on floors the call reply covers.
//
// Input: the first byte chooses the installation, the rest is the reply.

#include "ui/ListView.h"
#include "app/PageTab.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "ui/ArrowStatic.h"
#include "ui/CellList.h"
#include "pages/FloorDisplayTexts.h"
#include "ui/LampStatic.h"
#include "pages/StatusPage.h"
#include "tests/TestPeer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QLabel>
#include <QSet>

#include <vector>

namespace {

constexpr int kFloorCounts[] = {0, 2, 16, 48, 50, 255};
constexpr int kTextIds[] = {1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1057};

struct Installation
{
    CStatusPage* page;
    int floors;
};

// Pages whose floor count was read from a controller over a pseudo-terminal,
// as the page reads it.
std::vector<Installation> MakeInstallations()
{
    static CTestPeer peer;
    static CPageTab tab(nullptr);
    static QObject owner;
    g_specialCode = 'E';
    g_port.Open(&owner, 1, 9600, 'N', 8, 1, 0x49);
    std::vector<Installation> installations;
    for (int floors : kFloorCounts) {
        CFrameBuffer answer;
        answer.BuildByteWordArg(kControllerAddress, 'A', '5', 0x0B, floors);
        const std::string reply = answer.Data();
        peer.SetResponder([reply](const std::string&, int) { return reply; });
        auto* page = new CStatusPage(&tab);
        page->SetCurrentPage(true); // as the tab control's shown page
        if (floors > 0)
            page->OnTimer1(); // reads the floor count
        Require(page->FloorCount() == floors, "floor count not read: " + std::to_string(floors));
        installations.push_back({page, floors});
    }
    g_port.Close();
    return installations;
}

QSet<QString> AllowedTexts()
{
    QSet<QString> texts = {"", "检修", "消防", "独立", "锁梯", "司机", "自动", "开门", "关门", "门锁闭合", "门锁开启",
                           "超载", "满载", "运行", "故障", "安全回路", "群控", "单梯"};
    for (const char* text : kFloorDisplayTexts)
        texts.insert(QString::fromUtf8(text));
    return texts;
}

bool IsSpeedText(const QString& text)
{
    return text.startsWith("速度: ") && text.endsWith("m/s") && text.size() <= 16;
}

std::string Snapshot(const Installation& installation)
{
    static const QSet<QString> allowed = AllowedTexts();
    CStatusPage* page = installation.page;
    QString shown;
    for (int id : kTextIds) {
        const QString text = Control<QLabel>(page, id)->text();
        Require(allowed.contains(text) || (id == 1042 && IsSpeedText(text)),
                "text from outside the page's tables: " + text.toStdString());
        shown += text + "|";
    }
    const auto* lamp = Control<CLampStatic>(page, 1036);
    const auto* arrow = Control<CArrowStatic>(page, 1049);
    shown += QString("lamp %1,%2 arrow %3\n").arg(lamp->GetTop()).arg(lamp->GetColumn()).arg(arrow->GetFrame());
    const CCellList* list = Control<CCellList>(page, 1032);
    Require(RowCount(list) == installation.floors, "rows are not one per floor");
    for (int row = 0; row < RowCount(list); ++row) {
        const int floor = installation.floors - row;
        for (int column = 1; column <= 3; ++column) {
            const QString mark = RowText(list, row, column);
            Require(floor <= CStatusPage::kMostCallFloors || mark.isEmpty(), "a call mark above floor 48");
            shown += mark.isEmpty() ? "." : "x";
        }
    }
    return shown.toStdString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    static const std::vector<Installation> installations = MakeInstallations();
    if (size == 0)
        return 0;
    const Installation& installation = installations[data[0] % installations.size()];
    RequireReplyOnly(data + 1, size - 1, [&] {
        installation.page->OnReplyReady();
        return Snapshot(installation);
    });
    return 0;
}
