// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Page.h"

#include <QString>

class QTreeWidget;

// The shaft data page (tab 2): on every focus reads the floor count, the
// position the controller learnt for every floor and its five switch and vane
// values; starts the shaft self-learning run on request.
class CShaftPage : public CPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 2;

    explicit CShaftPage(QWidget* parent = nullptr);

    void OnSetFocus() override;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    // One switch or vane value: its item byte in the A6 request, its edit and its field.
    struct SwitchField
    {
        int item;
        int controlId;
        QString CShaftPage::*member;
    };
    static const SwitchField kSwitchFields[];

    enum class ReadResult { Failed, Stopped, Complete };
    ReadResult ReadShaftData(int& done, int& total);
    QString RecordText() const;
    void OnLearnButton();
    void OnRefreshButton();

    QTreeWidget* m_list;
    QString m_vaneSum;
    QString m_upSlowDouble;
    QString m_upSlowSingle;
    QString m_downSlowDouble;
    QString m_downSlowSingle;
    bool m_reading = false; // from the start of a read to the close of its failure message
};
