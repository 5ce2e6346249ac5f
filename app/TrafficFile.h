// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrafficLog.h"

#include <QFile>
#include <QString>

// The traffic window's log file: every frame appended as a line of its own
// (as the saved list shows it: time, direction, baud rate, note, frame) to
// the file of the frame's day, <data folder>/velor/traffic/YYYY-MM-DD.log,
// so a technician can send a record of an intermittent fault. Each line is
// handed to the system at once, so a crash loses nothing written before it.
class CTrafficFile
{
public:
    // ${XDG_DATA_HOME:-$HOME/.local/share}/velor/traffic
    static QString Folder();
    // The file a frame of this time (ms since the epoch, local day) goes to.
    static QString PathFor(qint64 time);

    // Appends the frame's line; false with the reason in Error() when it
    // could not be written (the file is closed then).
    bool Append(const TrafficEntry& entry);
    QString Error() const { return m_error; }
    // The file written last; empty before the first frame.
    QString CurrentPath() const { return m_file.fileName(); }
    void Close() { m_file.close(); }

private:
    bool Fail(const QString& reason);

    QFile m_file;
    QString m_error;
};
