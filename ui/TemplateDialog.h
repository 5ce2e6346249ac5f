// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class CDataExchange;
struct DialogTemplate;

// A modal dialog built from its dialog template. Button 1 runs OnOK(), button 2,
// Escape and the window's close button run OnCancel(). OnInitDialog() runs once,
// when the dialog is first shown (by exec()), after the caller has filled the
// dialog's fields. While the dialog's own exchanges hold the port it cannot be
// closed: what it sends is sent, or stopped before its first frame, but never
// goes on behind a dialog that looks closed. Once the program is closing no
// template dialog opens.
class CTemplateDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTemplateDialog(int templateId, QWidget* parent = nullptr);
    explicit CTemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // Moves the fields bound in DoDataExchange into the controls (false) or
    // back and validates them (true); false when a value was refused.
    bool UpdateData(bool saveAndValidate);

    int exec() override;
    void reject() override;

protected:
    // Standard opening: loads the fields into the controls.
    virtual void OnInitDialog();
    // Standard OK: takes the fields back and closes with Accepted when they pass.
    virtual void OnOK();
    // Standard cancel: closes with Rejected.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange& dx);

    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};
