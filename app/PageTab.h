// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class CPage;
struct PortSettings;

// The main dialog's tab control: seven tabs, wrapping into further rows where
// they do not fit the width, over the one page that is shown. Moves the port to
// the door machine's baud rate while the door machine page is shown.
class CPageTab : public QWidget
{
    Q_OBJECT
public:
    explicit CPageTab(QObject* portOwner, QWidget* parent = nullptr);
    ~CPageTab() override;

    // Inserts the tabs, creates and places the pages and gives page 0 the focus.
    void Init();

    // The size the tab control has in the main window's designed size: the
    // pages grow by what it grows by (CPage::SetGrowth). Without it the pages
    // keep their template layout at any size.
    void SetDesignedSize(QSize size) { m_designedSize = size; }

    // Selects a tab as a click on it does, with the page and port switch.
    void SelectTab(int index);
    int CurSel() const { return m_curSel; }
    int TabCount() const { return m_tabTexts.size(); }
    QString TabText(int index) const { return m_tabTexts.value(index); }
    QRect TabRect(int index) const { return m_tabRects.at(index); }
    CPage* Page(int index) const;
    CPage* CurrentPage() const { return Page(m_curSel); }

    int m_curPage = 0;
    int m_pageCount = 7;

    // True while the port runs at the door machine's baud rate.
    bool DoorBaud() const { return m_doorBaud; }

    static constexpr int kDoorPage = 6;

    // Lets tests create stand-in pages; an empty factory restores the real pages.
    using PageFactory = std::function<CPage*(int index, QWidget* parent)>;
    static void SetPageFactory(PageFactory factory);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreatePages();
    void LayoutTabs();
    QSize TabSize(int index) const;
    void LayoutPages();
    int TabAt(const QPoint& point) const;
    void OnSelChange();
    void MovePort(const PortSettings& settings, int baud, bool toDoor);
    void InstallShortcuts();
    void StepTab(int step);

    QObject* m_portOwner;
    QStringList m_tabTexts;
    std::vector<QRect> m_tabRects;
    std::vector<CPage*> m_pages;
    int m_curSel = -1;
    int m_tabAreaHeight = 0;
    bool m_doorBaud = false;
    QSize m_designedSize;
};
