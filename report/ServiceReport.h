// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/VisitData.h"

#include <QFont>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;

// The service report of one visit: which lift, when, by whom, what was found
// and what was changed, laid out on pages with the lift, the date and the
// page number at the foot of each. The same pages go to a PDF file and to a
// printer.
class CServiceReport
{
public:
    CServiceReport() = default;
    explicit CServiceReport(VisitData data) : m_data(std::move(data)) {}

    // Reads the visit from the record; false with the reason.
    bool Load(const QSqlDatabase& db, const QString& visit, QString& error);
    const VisitData& Data() const { return m_data; }
    void SetTechnician(const QString& name) { m_technician = name; }
    void SetRemarks(const QString& remarks) { m_remarks = remarks; }

    // A4 pages into the file, written whole or not at all; false with the reason.
    bool WritePdf(const QString& path, QString& error) const;
    // Onto the pages the printer was set up for.
    bool Print(QPrinter& printer, QString& error) const;

    // The face of the dialogs, for Chinese text.
    static QFont Font();

private:
    bool Paint(QPagedPaintDevice& device, QString& error) const;
    std::unique_ptr<QTextDocument> Document(double pageWidth, double pageHeight) const;
    QString Header() const;
    QString Writes() const;
    QString Parameters() const;
    QString Faults() const;
    QString RunsAndShaft() const;
    QString Rides(double pageWidth, QTextDocument& document) const;
    QString Closing() const;
    QString Footer(int page, int pages) const;

    VisitData m_data;
    QString m_technician;
    QString m_remarks;
};
