// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QString>

class CPortDeviceLine;
class CSettingsStore;
class QComboBox;

// The serial settings dialog "串口设置": port, the main board's and the door
// machine's baud rates, data bits, stop bits, parity, and the hidden special
// code. Reads the stored settings on opening and writes them on OK; after a
// successful save it asks for a restart and closes the main window.
class CPortSetupDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CPortSetupDlg(QWidget* parent = nullptr);

    QComboBox* m_cbParity;
    QComboBox* m_cbStopBits;
    QComboBox* m_cbDataBits;
    QComboBox* m_cbBaud;
    QComboBox* m_cbPort;
    QString m_strPort;
    QString m_strBaud;
    QString m_strDataBits;
    QString m_strStopBits;
    QString m_strParity;
    QComboBox* m_cbDoorBaud;
    QString m_strDoorBaud;
    QComboBox* m_cbSpecialCode;
    QString m_strSpecialCode;
    int m_nPort = 0;
    int m_nBaud = 0;
    char m_cParity = 0;
    int m_nDataBits = 0;
    int m_nStopBits = 0;
    int m_nDoorBaud = 0;
    bool m_bFastLine = false;      // "快速通讯" (comfast)
    CPortDeviceLine* m_deviceLine; // the device the chosen port stands for

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void LoadStoredSettings(CSettingsStore& store);
    void SetDefaults();
    void SelectDefaultsWhereUnselected();
    QString SaveSettings(const QString& comwhole);
};
