// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamListPage.h"

// The door machine parameter page: the door operator's 79 parameters, read at
// the door machine's baud rate (the tab control switches the port), each
// editable through the value entry dialog.
class CDoorParamPage : public CParamListPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 6;

    explicit CDoorParamPage(QWidget* parent = nullptr);

protected:
    ReadResult ReadParameters() override;
    void Edit(int n) override;
    QString SilenceMessage() const override;
    CParamCatalogue Catalogue() const override { return CParamCatalogue(CParamCatalogue::DoorMachine); }
    QString CommandQuestion(int n, int value) const override;
};
