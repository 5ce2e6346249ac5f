// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QHash>
#include <QStringList>

class QTreeWidget;

// Shows and sets the daily lockout segment of every floor. Opening reads the
// floor count and each floor's segment from the controller (top floor first);
// a click on a row edits its times in CLockoutTimeDlg; OK writes every floor
// that has times and closes once all were written. A floor whose segment could
// not be read shows no times and is not written unless the technician gives it
// times. The enable flag passes through unchanged for the caller to write.
class CLockoutDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CLockoutDlg(bool enable, QWidget* parent = nullptr);

    QTreeWidget* m_list;
    bool m_bEnable;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void ReadSegments();
    void ShowSegmentReply(int row);
    // What OK's writes did, floor by floor: taken, refused ten times, or
    // not sent because the technician stopped the writes.
    struct SegmentWrites
    {
        QStringList written;
        QStringList refused;
        QStringList unsent;
        bool stopped = false;
    };
    // Writes every row's segment.
    SegmentWrites WriteSegments();
    static QString StoppedWritesText(const SegmentWrites& writes);
    void OnListClick();

    QHash<int, QString> m_segmentsRead; // floor → its times as read, for the service record
};
