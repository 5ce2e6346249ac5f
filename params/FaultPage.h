// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <climits>

#include "ui/Page.h"
#include "params/ReadProgress.h"

#include <QStringList>

class QTreeWidget;

// The fault codes page: reads the controller's fault log each time it gets the
// focus, in the record layout of the controller generation that answers, shows
// a fault's explanation when its row is clicked and clears the log on request.
class CFaultPage : public CPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 4;

    explicit CFaultPage(QWidget* parent = nullptr);

    void OnSetFocus() override;

    // The generation found by the last answered record-0 probe; selects the
    // record layout and the fault texts.
    bool IsLongFormat() const { return m_longFormat; }

private:
    enum class ReadResult { NoAnswer, Failed, Cancelled, Complete };

    void ReadAndReport(bool continuing);
    ReadResult ReadFaultLog(bool continuing);
    void KeepInRecord(ReadResult result);
    void AddRecordRow(int number);
    void OnListClick();
    void OnResetButton();
    void OnRefreshButton();
    // The export's rows: the list's columns as it shows them.
    QList<QStringList> ReportRows() const;

    QTreeWidget* m_list;
    bool m_longFormat = true;
    int m_nextRecord = INT_MAX; // the first record the last read did not reach; past the end when it did
    CReadProgress m_progress;   // whether a read may go on from m_nextRecord
    bool m_reading = false; // from the start of a read to the close of its failure message
};
