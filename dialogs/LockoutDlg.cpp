// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/LockoutDlg.h"
#include "record/RecordedWrite.h"

#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/PageOperation.h"
#include "ui/TemplateLoader.h"
#include "dialogs/LockoutTimeDlg.h"
#include "link/Exchange.h"
#include "link/FloorCount.h"
#include "link/FrameBuffer.h"

#include <QTreeWidget>

#include <algorithm>
#include <optional>
#include <string>

namespace {

constexpr int kTemplateId = 179;
constexpr int kEnableId = 1013;
constexpr int kListId = 1032;

constexpr int kFloorColumn = 0;
constexpr int kStartColumn = 1;
constexpr int kEndColumn = 2;

// Where the AC reply carries the segment's four bytes, as eight hex digits.
constexpr int kSegmentPos = 7;
constexpr int kSegmentDigits = 8;
// A segment reply shorter than this cannot hold the four bytes: its checksum
// would be taken for the end minute.
constexpr int kSegmentReplyLength = kSegmentPos + kSegmentDigits + kFrameTail;

struct TimeOfDay
{
    int hour = 0;
    int minute = 0;
};

struct Segment
{
    TimeOfDay start;
    TimeOfDay end;
};

// A time as the list shows it: "08:30".
QString TimeText(TimeOfDay time)
{
    return QString::asprintf("%02i:%02i", time.hour, time.minute);
}

// The time of a list cell; both numbers are decimal, so "08:30" is half past
// eight. Nothing for an empty cell (a segment that was never read).
std::optional<TimeOfDay> ParseTimeText(const QString& text)
{
    const QStringList parts = text.split(u':');
    bool hourOk = false;
    bool minuteOk = false;
    if (parts.size() != 2)
        return std::nullopt;
    const TimeOfDay time{parts[0].toInt(&hourOk, 10), parts[1].toInt(&minuteOk, 10)};
    return hourOk && minuteOk ? std::optional(time) : std::nullopt;
}

std::optional<Segment> RowSegment(const QTreeWidget* list, int row)
{
    const std::optional<TimeOfDay> start = ParseTimeText(RowText(list, row, kStartColumn));
    const std::optional<TimeOfDay> end = ParseTimeText(RowText(list, row, kEndColumn));
    if (!start || !end)
        return std::nullopt;
    return Segment{*start, *end};
}

// How the service record shows a floor's times.
QString SegmentText(const Segment& segment)
{
    return TimeText(segment.start) + "-" + TimeText(segment.end);
}

void ShowRowSegment(QTreeWidget* list, int row, const Segment& segment)
{
    SetRowText(list, row, kStartColumn, TimeText(segment.start));
    SetRowText(list, row, kEndColumn, TimeText(segment.end));
}

// A segment is taken only from an undamaged reply: OK writes every floor's
// shown times back into the controller.
CExchange::Request SegmentReadRequest(int floor)
{
    return {.build = [floor] { g_request.BuildByteArg(kControllerAddress, 'A', 'C', floor); },
            .test = Acceptance::ValidFrameLetters,
            .attempts = 2,
            .minCount = kSegmentReplyLength};
}

// The ten characters floor, start hour, start minute, end hour, end minute in hex.
std::string SegmentPayload(int floor, const Segment& segment)
{
    std::string payload;
    for (int value : {floor, segment.start.hour, segment.start.minute, segment.end.hour, segment.end.minute})
        payload += HexByte(value);
    return payload;
}

CExchange::Request SegmentWriteRequest(int floor, const Segment& segment)
{
    return {.build = [payload = SegmentPayload(floor, segment)] {
                g_request.BuildTextArg(kControllerAddress, 'F', 'C', payload.c_str());
            },
            .waitMs = 0,
            .test = Acceptance::LettersAck,
            .ackPos = 5,
            .attempts = 10,
            .pauseBeforeMs = 50};
}

int ReplyByte(int pos)
{
    return ParseHex2(g_reply.Data() + pos);
}

} // namespace

CLockoutDlg::CLockoutDlg(bool enable, QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
    , m_list(Control<QTreeWidget>(this, kListId))
    , m_bEnable(enable)
{
    connect(m_list, &QTreeWidget::clicked, this, &CLockoutDlg::OnListClick);
}

void CLockoutDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Check(kEnableId, m_bEnable);
}

void CLockoutDlg::OnInitDialog()
{
    CTemplateDialog::OnInitDialog();
    InsertColumn(m_list, kFloorColumn, "楼层", 40, Qt::AlignCenter);
    InsertColumn(m_list, kStartColumn, "起始时间", 80, Qt::AlignCenter);
    InsertColumn(m_list, kEndColumn, "终止时间", 80, Qt::AlignCenter);
    ReadSegments();
}

// One row per floor, the top floor first, each with the segment the controller
// reports. Without the floor count the list stays empty; a floor whose segment
// does not come keeps empty times. Nothing is reported either way.
void CLockoutDlg::ReadSegments()
{
    CPageOperation operation(this, "读取楼层时段", 0);
    const int floors = CFloorCount::Read().value_or(0);
    operation.SetTotal(floors);
    for (int row = 0; row < floors; ++row) {
        operation.SetDone(row);
        const int floor = floors - row;
        InsertRow(m_list, row, QString::number(floor), floor);
        if (CExchange::Run(SegmentReadRequest(floor)))
            ShowSegmentReply(row);
    }
}

void CLockoutDlg::ShowSegmentReply(int row)
{
    const Segment segment{{ReplyByte(kSegmentPos), ReplyByte(kSegmentPos + 2)},
                          {ReplyByte(kSegmentPos + 4), ReplyByte(kSegmentPos + 6)}};
    ShowRowSegment(m_list, row, segment);
    m_segmentsRead[RowText(m_list, row, kFloorColumn).toInt()] = SegmentText(segment);
}

// Edits the first selected row's times; a row without times starts at 00:00.
void CLockoutDlg::OnListClick()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    int row = m_list->indexOfTopLevelItem(selected.front());
    for (QTreeWidgetItem* item : selected)
        row = std::min(row, m_list->indexOfTopLevelItem(item));
    const Segment shown = RowSegment(m_list, row).value_or(Segment{});
    CLockoutTimeDlg timeDlg(shown.start.hour, shown.start.minute, shown.end.hour, shown.end.minute);
    if (timeDlg.exec() != QDialog::Accepted)
        return;
    const auto time = [](unsigned hour, unsigned minute) {
        return TimeOfDay{static_cast<int>(hour), static_cast<int>(minute)};
    };
    ShowRowSegment(m_list, row,
                   {time(timeDlg.m_nStartHour, timeDlg.m_nStartMinute), time(timeDlg.m_nEndHour, timeDlg.m_nEndMinute)});
}

// Every floor with times is written, changed or not; the dialog closes only
// when every one of them was taken, and names the others otherwise. Writes
// the technician stopped say so and what went in; a floor refused before the
// stop is still named as refused.
void CLockoutDlg::OnOK()
{
    const SegmentWrites writes = WriteSegments();
    if (writes.stopped) {
        VelorMessageBox(StoppedWritesText(writes), MB_OK | MB_ICONWARNING);
        return;
    }
    if (!writes.refused.isEmpty()) {
        VelorMessageBox(QString("楼层 %1 的时间段写入失败，请再按确定!").arg(writes.refused.join(u'、')));
        return;
    }
    CTemplateDialog::OnOK();
}

QString CLockoutDlg::StoppedWritesText(const SegmentWrites& writes)
{
    const auto floors = [](const QStringList& list) { return list.isEmpty() ? QString("无") : list.join(u'、'); };
    QString text = QString("写入已停止。已写入的楼层：%1。").arg(floors(writes.written));
    if (!writes.refused.isEmpty())
        text += QString("\n楼层 %1 的时间段写入失败。").arg(floors(writes.refused));
    text += QString("\n未写入的楼层：%1。").arg(floors(writes.unsent));
    return text;
}

CLockoutDlg::SegmentWrites CLockoutDlg::WriteSegments()
{
    CPageOperation operation(this, "写入楼层时段", RowCount(m_list));
    SegmentWrites writes;
    for (int row = 0; row < RowCount(m_list); ++row) {
        operation.SetDone(row);
        const std::optional<Segment> segment = RowSegment(m_list, row);
        if (!segment)
            continue;
        const QString floor = RowText(m_list, row, kFloorColumn);
        if (operation.Cancelled()) {
            writes.unsent << floor;
            continue;
        }
        const int floorNo = floor.toInt(nullptr, 10);
        CRecordedWrite recorded("lift", "lockout", floorNo, m_segmentsRead.value(floorNo), SegmentText(*segment));
        const bool taken = CExchange::Run(SegmentWriteRequest(floorNo, *segment));
        recorded.Done(taken);
        if (taken)
            writes.written << floor;
        else if (operation.Cancelled())
            writes.unsent << floor; // stopped between its tries: not taken, not refused either
        else
            writes.refused << floor;
    }
    writes.stopped = !writes.unsent.isEmpty(); // a stop after the last write stopped nothing
    return writes;
}
