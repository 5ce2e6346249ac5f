// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSetupDlg.h"

#include "ui/DataExchange.h"
#include "ui/MessageBox.h"
#include "ui/MainWindow.h"
#include "ui/TemplateLoader.h"
#include "settings/PortDeviceLine.h"
#include "settings/PortSettings.h"
#include "settings/SettingsStore.h"

#include <QComboBox>

namespace {

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr char kParityLetters[] = {'N', 'O', 'E'};
constexpr int kFastLineId = 1064;

// What the dialog shows when nothing (or nothing usable) is stored.
const QString kDefaultPort = "COM1";
const QString kDefaultBaud = "9600";
const QString kDefaultDoorBaud = "38400";
const QString kDefaultDataBits = "8";
const QString kDefaultStopBits = "1";
const QString kDefaultParity = "无";
const QString kDefaultSpecialCode = "E";

QString ParityText(QChar letter)
{
    if (letter == 'N')
        return "无";
    if (letter == 'O')
        return "奇";
    return "偶";
}

int BaudAt(const QComboBox* box)
{
    return kBaudRates[qBound(0, box->currentIndex(), 7)];
}

} // namespace

CPortSetupDlg::CPortSetupDlg(QWidget* parent)
    : CTemplateDialog(158, parent)
{
    m_cbParity = Control<QComboBox>(this, 1058);
    m_cbStopBits = Control<QComboBox>(this, 1057);
    m_cbDataBits = Control<QComboBox>(this, 1056);
    m_cbBaud = Control<QComboBox>(this, 1055);
    m_cbPort = Control<QComboBox>(this, 1054);
    m_cbDoorBaud = Control<QComboBox>(this, 1059);
    m_cbSpecialCode = Control<QComboBox>(this, 1060);
    for (QComboBox* box : {m_cbParity, m_cbStopBits, m_cbDataBits, m_cbBaud, m_cbPort, m_cbDoorBaud})
        box->setCurrentIndex(-1);
    m_deviceLine = new CPortDeviceLine(this, m_cbPort);
}

void CPortSetupDlg::DoDataExchange(CDataExchange& dx)
{
    dx.ComboText(1054, m_strPort);
    dx.ComboText(1055, m_strBaud);
    dx.ComboText(1056, m_strDataBits);
    dx.ComboText(1057, m_strStopBits);
    dx.ComboText(1058, m_strParity);
    dx.ComboText(1059, m_strDoorBaud);
    dx.ComboText(1060, m_strSpecialCode, 1);
    dx.Check(kFastLineId, m_bFastLine);
}

void CPortSetupDlg::OnInitDialog()
{
    CSettingsStore store(HKEY_CURRENT_USER);
    if (store.OpenKey(kSettingsKey))
        LoadStoredSettings(store);
    else
        SetDefaults();
    CTemplateDialog::OnInitDialog();
    SelectDefaultsWhereUnselected();
}

void CPortSetupDlg::SetDefaults()
{
    m_strPort = kDefaultPort;
    m_strBaud = kDefaultBaud;
    m_strDataBits = kDefaultDataBits;
    m_strStopBits = kDefaultStopBits;
    m_strParity = kDefaultParity;
    m_strDoorBaud = kDefaultDoorBaud;
    m_strSpecialCode = kDefaultSpecialCode;
}

void CPortSetupDlg::LoadStoredSettings(CSettingsStore& store)
{
    QString comwhole;
    // A comwhole of fewer than four characters is ignored; the defaults show instead.
    if (!store.ReadString("comwhole", comwhole))
        comwhole.clear();
    if (const std::optional<ComWhole> format = ComWhole::Parse(comwhole)) {
        m_strPort = "COM" + QString::number(format->port);
        m_strParity = ParityText(QChar::fromLatin1(format->parity));
        m_strDataBits = QString::number(format->dataBits);
        m_strStopBits = QString::number(format->stopBits);
    }
    store.ReadString("combaud", m_strBaud);
    store.ReadString("comdoorbaud", m_strDoorBaud);
    store.ReadString("specialcode", m_strSpecialCode);
    QString fast;
    m_bFastLine = store.ReadString("comfast", fast) && FastLineValue(fast);
    // A missing or unusable code (a save cut short, a value edited by hand)
    // shows as on the first run, so that OK repairs it.
    if (!IsUsableSpecialCode(m_strSpecialCode))
        m_strSpecialCode = kDefaultSpecialCode;
    store.CloseKey();
}

// A stored value that is missing or that no entry begins with would leave its
// selector empty, and OK would then store port 0 or an undefined rate; such a
// selector shows the first-run default instead.
void CPortSetupDlg::SelectDefaultsWhereUnselected()
{
    const std::pair<QComboBox*, QString> defaults[] = {
        {m_cbPort, kDefaultPort},         {m_cbBaud, kDefaultBaud},     {m_cbDataBits, kDefaultDataBits},
        {m_cbStopBits, kDefaultStopBits}, {m_cbParity, kDefaultParity}, {m_cbDoorBaud, kDefaultDoorBaud},
    };
    for (const auto& [box, text] : defaults)
        if (box->currentIndex() < 0)
            box->setCurrentIndex(box->findText(text));
}

void CPortSetupDlg::OnOK()
{
    m_nPort = m_cbPort->currentIndex() + 1;
    m_nBaud = BaudAt(m_cbBaud);
    m_nDoorBaud = BaudAt(m_cbDoorBaud);
    m_cParity = kParityLetters[qBound(0, m_cbParity->currentIndex(), 2)];
    m_nDataBits = m_cbDataBits->currentIndex() == 0 ? 7 : 8;
    m_nStopBits = m_cbStopBits->currentIndex() + 1;
    const QString comwhole = ComWhole{m_nPort, m_cParity, m_nDataBits, m_nStopBits}.Text();
    UpdateData(true);
    if (!m_deviceLine->Commit(m_nPort))
        return;

    const QString failure = SaveSettings(comwhole);
    if (failure.isEmpty()) {
        VelorMessageBox("请重新启动程序，方能生效");
        CMainWindow::Close();
    } else {
        VelorMessageBox("无法保存串口设置：" + failure, MB_OK | MB_ICONERROR);
    }
    QDialog::accept();
}

// Writes the four values, stopping at the first that cannot be written;
// returns why it failed (folder, value, reason), empty when all were written.
QString CPortSetupDlg::SaveSettings(const QString& comwhole)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    if (!store.OpenKey("Software") || !store.CreateKey("VELORCOM"))
        return store.LastError().isEmpty() ? CSettingsStore::RootFolder() : store.LastError();
    const std::pair<const char*, QString> values[] = {
        {"comwhole", comwhole},
        {"combaud", QString::number(m_nBaud)},
        {"comdoorbaud", QString::number(m_nDoorBaud)},
        {"specialcode", m_strSpecialCode},
        {"comfast", FastLineText(m_bFastLine)},
    };
    for (const auto& [name, text] : values)
        if (!store.WriteString(name, text))
            return store.LastError();
    return {};
}
