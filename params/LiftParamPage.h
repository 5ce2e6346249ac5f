// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamListPage.h"

// The elevator parameter page: every F-parameter of the main board in the
// generation the controller answers with, each edited through the editor that
// suits it, and the IC card authorization dialog.
class CLiftParamPage : public CParamListPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 5;

    explicit CLiftParamPage(QWidget* parent = nullptr);

    void OnKillFocus() override;

    // The generation found by the last answered probe.
    bool IsLongFormat() const { return m_longFormat; }

protected:
    ReadResult ReadParameters() override;
    void Edit(int n) override;
    CParamCatalogue Catalogue() const override { return CParamCatalogue::ForMainBoard(m_longFormat); }

private:
    void EditLockout();
    void EditBitMask(int n);
    void EditDisplayCode(int n);
    void OnCardButton();

    bool m_longFormat = true;
    bool m_reading = false; // a full read may go on; cleared when the page loses the focus
};
