// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PageTab.h"

#include "ui/Page.h"
#include "app/PortOpening.h"
#include "ui/WaitCursor.h"
#include "link/PortChannel.h"
#include "params/DoorParamPage.h"
#include "params/FaultPage.h"
#include "params/LiftParamPage.h"
#include "pages/GeneralPage.h"
#include "pages/IoPage.h"
#include "pages/ShaftPage.h"
#include "pages/StatusPage.h"
#include "settings/PortSettings.h"

#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {

struct PageInfo
{
    const char* tabText;
    int templateId;
};

const PageInfo kPageTable[] = {
    {"电梯状态", 130}, {"一般参数", 129}, {"井道数据", 132}, {"I/O状态", 134},
    {"故障代码", 133}, {"电梯参数", 135}, {"门机参数", 136},
};

constexpr int kTabPadding = 6; // pixels left and right of a tab's text

CPage* CreatePage(int index, QWidget* parent)
{
    switch (index) {
    case CStatusPage::kPageIndex: return new CStatusPage(parent);
    case CGeneralPage::kPageIndex: return new CGeneralPage(parent);
    case CIoPage::kPageIndex: return new CIoPage(parent);
    case CShaftPage::kPageIndex: return new CShaftPage(parent);
    case CFaultPage::kPageIndex: return new CFaultPage(parent);
    case CLiftParamPage::kPageIndex: return new CLiftParamPage(parent);
    case CDoorParamPage::kPageIndex: return new CDoorParamPage(parent);
    default: return new CPage(kPageTable[index].templateId, parent);
    }
}

CPageTab::PageFactory g_pageFactory;

} // namespace

void CPageTab::SetPageFactory(PageFactory factory)
{
    g_pageFactory = std::move(factory);
}

CPageTab::CPageTab(QObject* portOwner, QWidget* parent)
    : QWidget(parent)
    , m_portOwner(portOwner)
{
    InstallShortcuts();
}

CPageTab::~CPageTab() = default; // the pages are child widgets

CPage* CPageTab::Page(int index) const
{
    return index >= 0 && index < static_cast<int>(m_pages.size()) ? m_pages[index] : nullptr;
}

void CPageTab::Init()
{
    m_curPage = 0;
    m_curSel = 0;
    for (const PageInfo& page : kPageTable)
        m_tabTexts << QString::fromUtf8(page.tabText);
    CreatePages();
    LayoutTabs();
    LayoutPages();
    m_pages[0]->GiveFocus();
}

void CPageTab::CreatePages()
{
    for (int i = 0; i < m_pageCount; ++i) {
        CPage* page = g_pageFactory ? g_pageFactory(i, this) : CreatePage(i, this);
        page->setVisible(i == 0);
        page->SetCurrentPage(i == 0);
        m_pages.push_back(page);
    }
}

// Tabs are as wide as their texts and fill rows from the left; a tab that
// does not fit the width starts a new row, so every tab stays visible.
void CPageTab::LayoutTabs()
{
    m_tabRects.clear();
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    for (int i = 0; i < TabCount(); ++i) {
        const QSize size = TabSize(i);
        rowHeight = size.height();
        const int w = size.width();
        if (x > 0 && x + w > width()) {
            x = 0;
            y += rowHeight;
        }
        m_tabRects.emplace_back(x, y, w, rowHeight);
        x += w;
    }
    m_tabAreaHeight = m_tabRects.empty() ? 0 : y + rowHeight;
}

void CPageTab::LayoutPages()
{
    const int x = m_tabRects.empty() ? 0 : m_tabRects[0].left() + 1;
    const int y = m_tabAreaHeight + 1;
    const QSize growth = m_designedSize.isValid() ? (size() - m_designedSize).expandedTo({0, 0}) : QSize(0, 0);
    for (CPage* page : m_pages) {
        page->setGeometry(x, y, width() - x - 1, height() - y - 1);
        page->SetGrowth(growth);
        page->raise();
    }
}

void CPageTab::resizeEvent(QResizeEvent*)
{
    LayoutTabs();
    LayoutPages();
}

// A tab is as wide as its text plus a margin on each side, as the dialog's
// own tab control sizes them, so that the seven tabs share one row at the
// template's width.
QSize CPageTab::TabSize(int index) const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(m_tabTexts[index]) + 2 * kTabPadding, metrics.height() + 8};
}

void CPageTab::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    // The pane: a plain frame below the tabs.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, m_tabAreaHeight, -1, -1));
    for (int i = 0; i < static_cast<int>(m_tabRects.size()); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = m_tabRects[i];
        tab.shape = QTabBar::RoundedNorth;
        if (i == m_curSel)
            tab.state |= QStyle::State_Selected;
        // The style draws the shape; the text is centred here, as the style's
        // own label would keep a wider margin than the tab has.
        painter.drawControl(QStyle::CE_TabBarTabShape, tab);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(m_tabRects[i], Qt::AlignCenter, m_tabTexts[i]);
    }
}

int CPageTab::TabAt(const QPoint& point) const
{
    for (int i = 0; i < static_cast<int>(m_tabRects.size()); ++i)
        if (m_tabRects[i].contains(point))
            return i;
    return -1;
}

void CPageTab::mousePressEvent(QMouseEvent* event)
{
    const int index = TabAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0)
        SelectTab(index);
}

// The tab bar's context menu offers the actions added to the tab control.
void CPageTab::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->pos().y() < m_tabAreaHeight || m_pages.empty())
        QMenu::exec(actions(), event->globalPos(), nullptr, this);
}

void CPageTab::InstallShortcuts()
{
    const auto add = [this](const QKeySequence& keys, int step) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] { StepTab(step); });
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void CPageTab::StepTab(int step)
{
    if (TabCount() == 0)
        return;
    SelectTab((m_curSel + step + TabCount()) % TabCount());
}

void CPageTab::SelectTab(int index)
{
    // No switch while an exchange is running: it owns the port until it ends.
    if (index < 0 || index >= TabCount() || index == m_curSel || g_port.m_busy)
        return;
    m_curSel = index;
    update();
    OnSelChange();
}

void CPageTab::OnSelChange()
{
    PortSettings settings;
    ReadPortSettings(settings);
    if (m_curSel == m_curPage)
        return;

    m_pages[m_curPage]->OnKillFocus();
    m_pages[m_curPage]->hide();
    m_pages[m_curPage]->SetCurrentPage(false);
    m_curPage = m_curSel;
    m_pages[m_curPage]->SetCurrentPage(true);
    m_pages[m_curPage]->show();

    if (m_curPage == kDoorPage) {
        m_doorBaud = true;
        MovePort(settings, settings.doorBaud, true);
    } else if (m_doorBaud) {
        MovePort(settings, settings.baud, false);
    } else {
        m_pages[m_curPage]->GiveFocus();
    }
}

// Closes the port and opens it again at the other baud rate (about one second,
// the monitor thread's shutdown wait).
void CPageTab::MovePort(const PortSettings& settings, int baud, bool toDoor)
{
    CWaitCursor wait;
    while (g_port.IsOpen())
        g_port.Close();
    if (OpenControllerPort(m_portOwner, settings, baud)) {
        if (!toDoor)
            m_doorBaud = false;
        wait.Restore();
        m_pages[m_curPage]->GiveFocus();
    } else {
        wait.Restore();
        ReportPortFailure();
    }
}
