// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RideWindow.h"
#include "pages/RideLog.h"
#include "pages/StatusPage.h"
#include "sim/SimReply.h"
#include "tests/CsvRows.h"
#include "tests/EventLoopHelpers.h"
#include "tests/LivePageRig.h"

#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>

namespace {

// The trip the controller plays (mm/s): standing,
// an S-shaped ramp up, cruise, the ramp down, standing.
const std::vector<int> kSpeeds{0, 150, 500, 1000, 1000, 500, 150, 60, 0, 0};
constexpr int kS1Locked = 1 << 3;
constexpr int kS2Running = 1 << 7, kS2Safety = 1 << 6, kS2Opening = 1 << 4;

class RideRecorderTest : public LivePageRig
{
protected:
    void SetUp() override
    {
        LivePageRig::SetUp();
        g_rideLog.Clear();
        m_script = [this](const std::string& request) { return Answer(request); };
        m_silent = true;
    }

    // The floor is 1 until the ramp down, 3 from then; the door opens once
    // the car stands at 3.
    std::string Answer(const std::string& request)
    {
        if (m_quiet)
            return {};
        const std::string letters = request.substr(3, 2);
        if (letters == "A5")
            return CSimReply('A', '5').AddByte(0x0B).AddWord(8).Frame();
        // Each value is sent in three replies: the poll may overtake one.
        const int step = std::min<int>(m_speedReplies / 3, kSpeeds.size() - 1);
        if (letters == "A8") {
            ++m_speedReplies;
            return CSimReply('A', '8').AddWord(static_cast<std::uint16_t>(kSpeeds[step])).Frame();
        }
        if (letters == "A0") {
            const bool arrived = step >= 5;
            const int s2 = kS2Running | kS2Safety | (arrived && kSpeeds[step] == 0 ? kS2Opening : 0);
            return CSimReply('A', '0').AddByte(arrived ? 3 : 1).AddByte(kS1Locked).AddByte(s2).Frame();
        }
        if (letters == "A3") {
            CSimReply calls('A', '3');
            for (int k = 0; k < 18; ++k)
                calls.AddByte(0);
            return calls.Frame();
        }
        return {};
    }

    std::atomic<int> m_speedReplies = 0;
    std::atomic<bool> m_quiet = false;
};

} // namespace

// The recorder listens to the status page's polls: the trip the controller
// plays is saved with its speeds in order and its lanes, the trip table finds
// it, a second without replies is a gap, and the page's frames stay A3, A8,
// A0 in turn with the window open.
TEST_F(RideRecorderTest, RecordsATripFromThePollsWithoutChangingThem)
{
    CRideWindow window;
    window.show();
    m_tab->Init();
    ASSERT_TRUE(RunEventLoopUntil([this] { return m_speedReplies >= 3 * static_cast<int>(kSpeeds.size()); }, 10000));
    // The fault report the main window hands over while the car stands.
    g_rideLog.AddFault("21");
    m_quiet = true;
    Run(1300);
    m_quiet = false;
    const int before = m_speedReplies;
    ASSERT_TRUE(RunEventLoopUntil([&] { return m_speedReplies >= before + 2; }, 5000));
    window.Refresh();

    std::vector<std::string> letters = RequestLetters(Requests().size());
    ASSERT_EQ(letters.front(), "A5");
    for (size_t i = 1; i < letters.size(); ++i)
        EXPECT_EQ(letters[i], (std::vector<std::string>{"A3", "A8", "A0"})[(i - 1) % 3]) << "request " << i;

    QTemporaryDir folder;
    const QString path = folder.filePath("ride.csv");
    ASSERT_TRUE(window.SaveTo(path, true));
    const QList<QStringList> rows = CsvFileRows(path);
    ASSERT_GT(rows.size(), 10);
    EXPECT_EQ(rows.first().join(','),
              "time,speed_mps,floor,running,door_opening,door_closing,door_locked,safety,full_load,overload,mode,fault");
    std::vector<int> speeds; // the speeds saved, each run of one value once
    QDateTime last;
    bool opened = false, fault = false;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        const QDateTime time = QDateTime::fromString(row[0], Qt::ISODateWithMs);
        ASSERT_TRUE(time.isValid() && QRegularExpression(R"(\.\d{3}[+-]\d\d:\d\d$)").match(row[0]).hasMatch())
            << row[0].toStdString();
        EXPECT_FALSE(last.isValid() && time < last) << "rows in time order";
        last = time;
        if (!row[1].isEmpty() && (speeds.empty() || speeds.back() != qRound(row[1].toDouble() * 1000)))
            speeds.push_back(qRound(row[1].toDouble() * 1000));
        if (row[3].isEmpty())
            continue;
        EXPECT_EQ(row.mid(3, 7).join(','), QString("1,%1,0,1,1,0,0").arg(row[4]));
        EXPECT_TRUE(row[4] == "0" || row[2] == "3") << "the door opens at floor 3 only";
        opened |= row[4] == "1";
        fault |= row[11] == "21";
        EXPECT_EQ(row[10], "自动");
    }
    EXPECT_TRUE(opened);
    EXPECT_TRUE(fault);
    // In the order sent; on a loaded machine a value's replies may all come
    // too late for their polls, so one may be missing, never out of order.
    const std::vector<int> sent{0, 150, 500, 1000, 500, 150, 60, 0};
    size_t matched = 0;
    for (size_t i = 0; i < sent.size() && matched < speeds.size(); ++i)
        matched += sent[i] == speeds[matched];
    EXPECT_EQ(matched, speeds.size()) << "speeds saved out of the order sent";
    EXPECT_GE(speeds.size(), sent.size() - 1);
    EXPECT_TRUE(std::find(speeds.begin(), speeds.end(), 1000) != speeds.end());

    ASSERT_TRUE(RunEventLoopUntil([&] { return window.Trips().size() == 1; })) << window.Trips().size();
    const RideTrip& trip = window.Trips().front();
    EXPECT_EQ(trip.fromFloor, "1");
    EXPECT_EQ(trip.toFloor, "3");
    EXPECT_DOUBLE_EQ(trip.peakMps, 1.0);
    EXPECT_EQ(window.TripTable()->rowCount(), 1);
    window.TripTable()->selectRow(0);
    EXPECT_LE(window.ShownFrom(), trip.startMs);
    EXPECT_GE(window.ShownTo(), trip.endMs);
    EXPECT_LT(window.ShownTo() - window.ShownFrom(), 4 * (trip.endMs - trip.startMs) + 3000);

    const CRideTrack& track = window.Track();
    int gaps = 0;
    for (size_t i = 1; i < track.Points().size(); ++i)
        if (track.GapBefore(i)) {
            ++gaps;
            EXPECT_TRUE(window.Readout(track.Points()[i].ms - 10).endsWith("无数据"));
        }
    EXPECT_EQ(gaps, 1);

    // What is saved opens again as it was.
    CRideWindow reader;
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.Track().Points().size(), track.Points().size());
    EXPECT_EQ(reader.Trips().size(), 1u);
}
