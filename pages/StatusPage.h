// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FloorCount.h"
#include "pages/PollingPage.h"

#include <QFont>
#include <QString>

class CArrowStatic;
class CCellList;
class CLampStatic;

// The elevator status page (tab 0): polls calls (A3), speed (A8) and state
// (A0) in turn and shows floor, mode, direction, speed, door, door lock, load,
// running or fault, safety circuit, group operation and every floor's calls. A
// click on a cell of the floor list registers a call at that floor.
class CStatusPage : public CPollingPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 0;
    // Floor counts above this are taken for a garbled reply and read again:
    // the call request carries the floor as one byte.
    static constexpr int kMostFloors = CFloorCount::kMost;
    // The call reply covers floors 1 to 48; higher floors are never marked.
    static constexpr int kMostCallFloors = 48;

    explicit CStatusPage(QWidget* parent = nullptr);

    void OnReplyReady() override;
    // While the line is down nothing is shown as if it were live: the page
    // looks as before its first reply, and polling fills it again.
    void OnLineChanged(bool up) override;

    int FloorCount() const { return m_floorCount; }

protected:
    void OnPoll() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void SetUpFloorList();
    void ReadFloorCount();
    void FillFloorList();
    void SendNextPoll();

    void DecodeState();
    void DecodeCalls();
    void DecodeSpeed();
    void ShowCallMark(int floorIndex, int column, bool called, const QString& mark);

    void OnFloorListClicked();
    void OnPortSetup();

    int m_floorCount = 0;
    // Chooses the next request of the poll: A3, A8, A0 in turn.
    int m_pollPhase = 0;
    QFont m_bigFont;
    CCellList* m_list;
    CLampStatic* m_lamp;
    CArrowStatic* m_arrow;

    QString m_status;
    QString m_speed;
    QString m_door;
    QString m_load;
    QString m_doorLock;
    QString m_run;
    QString m_safety;
    QString m_group;
    QString m_floor;
};
