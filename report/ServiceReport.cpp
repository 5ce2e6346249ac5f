// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ServiceReport.h"

#include "params/ParamCatalogue.h"
#include "report/RideChart.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <map>

namespace {

// Layout units: pixels of a 96 dpi page, scaled to the device when painted.
constexpr double kLayoutDpi = 96;
constexpr int kPdfDpi = 300;
constexpr double kMarginMm = 15;
constexpr int kFontPixels = 13;
constexpr double kFooterHeight = 34;
constexpr int kChartScale = 3;

QString Escaped(const QString& text) { return text.toHtmlEscaped().replace('\n', "<br>"); }

// "2026-12-08 14:03:12" from the record's ISO 8601 time; what cannot be read is shown as it is.
QString Shown(const QString& iso, const QString& format = "yyyy-MM-dd HH:mm:ss")
{
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODateWithMs);
    return time.isValid() ? time.toString(format) : iso;
}

QString OrNone(const QString& text) { return text.isEmpty() ? QString("（未读取）") : Escaped(text); }

QString Heading(const QString& text)
{
    return QString("<p style=\"font-size:17px; font-weight:bold; margin-top:14px; margin-bottom:4px;\">%1</p>").arg(text);
}

QString Note(const QString& text) { return QString("<p style=\"margin-top:2px;\">%1</p>").arg(text); }

// A table whose header row is repeated on every page it runs across.
QString Table(const QStringList& header, const QStringList& rows)
{
    QString html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                   "style=\"border-collapse:collapse; border-color:#888;\"><thead><tr>";
    for (const QString& column : header)
        html += "<th bgcolor=\"#e8e8e8\" align=\"left\">" + column + "</th>";
    return html + "</tr></thead>" + rows.join("") + "</table>";
}

QString Row(const QStringList& cells, bool marked = false)
{
    QString html = marked ? "<tr bgcolor=\"#fde4e4\">" : "<tr>";
    for (const QString& cell : cells)
        html += "<td>" + cell + "</td>";
    return html + "</tr>";
}

CParamCatalogue CatalogueOf(const QString& board, bool longSet)
{
    return CParamCatalogue(board == "door" ? CParamCatalogue::DoorMachine
                           : longSet       ? CParamCatalogue::LongRecordMainBoard
                                           : CParamCatalogue::ShortRecordMainBoard);
}

QString BoardName(const QString& board) { return board == "door" ? "门机" : "主板"; }

QString WhatName(const QString& what)
{
    static const std::map<QString, QString> names = {
        {"parameter", "参数"},           {"lockout", "锁梯"},         {"ic-card", "IC 卡"},
        {"elevator-id", "电梯编号"},     {"phone", "电话号码"},       {"clock", "时钟"},
        {"run-count-reset", "运行次数清零"}, {"parameter-reset", "参数复位"}, {"fault-log-reset", "故障记录清除"},
        {"self-learning", "井道自学习"}};
    const auto name = names.find(what);
    return name == names.end() ? what : name->second;
}

QString OutcomeName(const QString& outcome)
{
    static const std::map<QString, QString> names = {
        {"acknowledged", "已确认"}, {"refused", "被拒绝"}, {"unconfirmed", "未确认"}, {"unknown", "结果不明"}};
    const auto name = names.find(outcome);
    return name == names.end() ? outcome : name->second;
}

QString Marked(const QString& text) { return "<b><font color=\"#b00000\">⚠ " + text + "</font></b>"; }

} // namespace

bool CServiceReport::Load(const QSqlDatabase& db, const QString& visit, QString& error)
{
    return LoadVisitData(db, visit, m_data, error);
}

QFont CServiceReport::Font()
{
    QFont font;
    font.setFamilies({"AR PL UMing CN", "Noto Sans CJK SC"});
    font.setPixelSize(kFontPixels);
    return font;
}

QString CServiceReport::Header() const
{
    const VisitData& d = m_data;
    QString clock = OrNone(d.controllerClock);
    if (!d.controllerClock.isEmpty())
        clock += QString("（读取时电脑时钟 %1）").arg(Shown(d.laptopClock));
    const auto row = [](const QString& label, const QString& value) {
        return "<tr><td width=\"20%\" bgcolor=\"#f2f2f2\">" + label + "</td><td>" + value + "</td></tr>";
    };
    const QString ended = d.ended.isEmpty() ? QString("（未结束）") : Shown(d.ended, "HH:mm:ss");
    return "<p style=\"font-size:22px; font-weight:bold;\" align=\"center\">电梯维护报告</p>"
           "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" style=\"border-collapse:collapse;\">"
           + row("电梯编号", OrNone(d.elevatorId)) + row("程序名称", OrNone(d.programName))
           + row("电话号码", OrNone(d.phone)) + row("维护时间", Shown(d.started) + " 至 " + ended)
           + row("维护人员", m_technician.isEmpty() ? QString("（未填写）") : Escaped(m_technician))
           + row("控制器时钟", clock) + "</table>";
}

QString CServiceReport::Writes() const
{
    QString html = Heading("一、所作修改");
    if (m_data.writes.empty())
        return html + Note("本次维护没有向控制器写入。");
    const auto description = [&](const VisitData::Write& w) -> QString {
        if (!w.parameter)
            return {};
        bool longSet = true;
        for (const VisitData::Board& board : m_data.boards)
            if (board.board == w.board)
                longSet = board.longSet || *w.parameter > 113;
        return Escaped(CatalogueOf(w.board, longSet).Text(*w.parameter));
    };
    QStringList rows;
    int marked = 0;
    for (const VisitData::Write& w : m_data.writes) {
        const bool bad = w.outcome != "acknowledged";
        marked += bad;
        const QString value = w.oldValue.isEmpty() && w.newValue.isEmpty()
                                  ? QString()
                                  : Escaped(w.oldValue.isEmpty() ? "?" : w.oldValue) + " → " + Escaped(w.newValue);
        rows << Row({Shown(w.at, "HH:mm:ss"), BoardName(w.board), WhatName(w.what),
                     w.parameter ? "F" + QString::number(*w.parameter) : QString(), description(w), value,
                     bad ? Marked(OutcomeName(w.outcome)) : OutcomeName(w.outcome)},
                    bad);
    }
    html += Table({"时间", "板", "内容", "参数", "说明", "原值 → 新值", "结果"}, rows);
    if (marked)
        html += Note(Marked(QString("%1 项写入未被控制器确认，请核对。").arg(marked)));
    return html;
}

QString CServiceReport::Parameters() const
{
    QString html = Heading("二、参数变化（本次维护首次读取与最后一次读取相比）");
    if (m_data.boards.empty())
        return html + Note("参数未读取。");
    for (const VisitData::Board& board : m_data.boards) {
        html += Note("<b>" + BoardName(board.board) + "</b>");
        if (board.snapshots < 2) {
            html += Note("只读取了一次，无从比较。");
            continue;
        }
        if (board.changes.empty()) {
            html += Note(QString("读取 %1 次，参数没有变化。").arg(board.snapshots));
            continue;
        }
        const CParamCatalogue catalogue = CatalogueOf(board.board, board.longSet);
        QStringList rows;
        for (const VisitData::Change& c : board.changes)
            rows << Row({"F" + QString::number(c.parameter), Escaped(catalogue.Text(c.parameter)), c.oldValue, c.newValue});
        html += Table({"参数", "说明", "首次读取", "最后读取"}, rows);
    }
    return html;
}

QString CServiceReport::Faults() const
{
    QString html = Heading("三、故障记录");
    const auto rows = [](const std::vector<VisitData::Fault>& faults, bool received) {
        QStringList rows;
        for (const VisitData::Fault& f : faults)
            rows << (received ? Row({Shown(f.taken, "HH:mm:ss"), QString::number(f.code), Escaped(f.text),
                                     QString::number(f.floor)})
                              : Row({QString::number(f.position), QString::number(f.code), Escaped(f.text),
                                     QString::number(f.floor), Escaped(f.time)}));
        return rows;
    };
    if (!m_data.faultLogRead)
        html += Note("故障记录未读取。");
    else if (m_data.faultLog.empty())
        html += Note(QString("故障记录（%1 读取）为空。").arg(Shown(m_data.faultLogTaken)));
    else
        html += Note(QString("故障记录，%1 读取：").arg(Shown(m_data.faultLogTaken)))
                + Table({"序号", "代码", "说明", "楼层", "时间"}, rows(m_data.faultLog, false));
    html += Note(m_data.faultLogCleared ? "本次维护中已清除故障记录。" : "本次维护中未清除故障记录。");
    if (m_data.faultReports.empty())
        return html + Note("本次维护中控制器没有报告故障。");
    return html + Note("控制器报告的故障：") + Table({"收到时间", "代码", "说明", "楼层"}, rows(m_data.faultReports, true));
}

QString CServiceReport::RunsAndShaft() const
{
    const auto count = [](const std::optional<long long>& n) { return n ? QString::number(*n) : QString("（未读取）"); };
    QString html = Heading("四、运行次数与井道数据")
                   + Note(QString("运行次数：维护开始时 %1，结束时 %2。").arg(count(m_data.runCountStart), count(m_data.runCountEnd)));
    if (m_data.shafts.empty())
        return html + Note("井道数据（楼层位置）未读取。");
    QStringList rows;
    for (const VisitData::Shaft& s : m_data.shafts)
        rows << Row({Shown(s.taken, "HH:mm:ss"), BoardName(s.board), Escaped(s.data)});
    return html + Table({"读取时间", "板", "楼层位置"}, rows);
}

QString CServiceReport::Rides(double pageWidth, QTextDocument& document) const
{
    QString html = Heading("五、运行曲线");
    if (m_data.rides.empty())
        return html + Note("本次维护没有保存运行曲线。");
    const QSize size(static_cast<int>(pageWidth * 0.96), static_cast<int>(pageWidth * 0.36));
    QFont font = Font();
    font.setPixelSize(kFontPixels * kChartScale);
    for (std::size_t i = 0; i < m_data.rides.size(); ++i) {
        QString error;
        const QImage chart = RideChart(m_data.rides[i].csv, size * kChartScale, font, error);
        html += Note(QString("记录于 %1").arg(Shown(m_data.rides[i].taken)));
        if (chart.isNull()) {
            html += Note(Escaped(error));
            continue;
        }
        const QString name = QString("ride:%1").arg(i);
        document.addResource(QTextDocument::ImageResource, QUrl(name), chart);
        html += QString("<p><img src=\"%1\" width=\"%2\" height=\"%3\"></p>").arg(name).arg(size.width()).arg(size.height());
    }
    return html;
}

QString CServiceReport::Closing() const
{
    const QString line = "＿＿＿＿＿＿＿＿＿＿＿＿";
    return Heading("备注") + Note(m_remarks.trimmed().isEmpty() ? QString("无。") : Escaped(m_remarks.trimmed()))
           + "<p style=\"margin-top:28px;\">维护人员签字：" + line + "　　日期：" + line + "</p>"
           + "<p style=\"margin-top:22px;\">业主签字：" + line + "　　　日期：" + line + "</p>";
}

std::unique_ptr<QTextDocument> CServiceReport::Document(double pageWidth, double pageHeight) const
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(Font());
    document->setDocumentMargin(0);
    document->setPageSize(QSizeF(pageWidth, pageHeight));
    const QString rides = Rides(pageWidth, *document);
    document->setHtml(Header() + Writes() + Parameters() + Faults() + RunsAndShaft() + rides + Closing());
    return document;
}

QString CServiceReport::Footer(int page, int pages) const
{
    return QString("电梯 %1　%2").arg(m_data.elevatorId.isEmpty() ? QString("（编号未读取）") : m_data.elevatorId,
                                       Shown(m_data.started, "yyyy-MM-dd"))
           + QString("\t第 %1 页 / 共 %2 页").arg(page).arg(pages);
}

bool CServiceReport::Paint(QPagedPaintDevice& device, QString& error) const
{
    QPainter painter;
    if (!painter.begin(&device)) {
        error = "无法开始输出报告";
        return false;
    }
    const double scale = device.logicalDpiX() / kLayoutDpi;
    const double width = device.width() / scale, height = device.height() / scale;
    const std::unique_ptr<QTextDocument> document = Document(width, height - kFooterHeight);
    const double body = document->pageSize().height();
    const int pages = document->pageCount();
    painter.scale(scale, scale);
    QFont footerFont = Font();
    footerFont.setPixelSize(kFontPixels - 2);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage()) {
            error = "无法开始新的一页";
            return false;
        }
        painter.save();
        painter.translate(0, -page * body);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * body, width, body);
        painter.setClipRect(context.clip);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(QColor(90, 90, 90));
        const QRectF foot(0, height - kFooterHeight / 2, width, kFooterHeight / 2);
        painter.drawLine(QPointF(0, foot.top() - 4), QPointF(width, foot.top() - 4));
        const QStringList parts = Footer(page + 1, pages).split('\t');
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, parts[0]);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, parts[1]);
    }
    return painter.end();
}

bool CServiceReport::WritePdf(const QString& path, QString& error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QString("无法写入 %1：%2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
        writer.setTitle("电梯维护报告 " + m_data.elevatorId);
        writer.setCreator("velor");
        if (!Paint(writer, error)) {
            file.cancelWriting();
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        error = QString("无法写入 %1：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool CServiceReport::Print(QPrinter& printer, QString& error) const
{
    printer.setDocName("电梯维护报告 " + m_data.elevatorId);
    return Paint(printer, error);
}
