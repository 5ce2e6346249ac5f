// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortDeviceLine.h"

#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "link/PortChannel.h"

#include <QAbstractItemView>
#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// The whole entry, as the opened list shows it: "ttyUSB0 FTDI FT232R USB
// UART", "ttyUSB1（不在 dialout 组） USB 串口".
QString EntryText(const SerialDevice& device)
{
    QString text = device.name;
    if (!device.problem.isEmpty())
        text += "（" + device.problem + "）";
    if (!device.description.isEmpty())
        text += " " + device.description;
    return text;
}

constexpr int kWholeTextRole = Qt::UserRole + 1;

// The opened list shows each entry whole; the closed selector shows it
// shortened to its width, so the name and the problem stay readable.
class CWholeEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = index.data(kWholeTextRole).toString();
    }
};

QString EntryToolTip(const SerialDevice& device)
{
    QString tip = device.path;
    if (!device.problem.isEmpty())
        tip += "\n" + device.problem + "。" + device.remedy;
    return tip;
}

// The device this program holds open itself is not tested for being busy.
QString OwnDevice()
{
    return g_port.IsOpen() ? g_port.LastOpenDevice() : QString();
}

bool IsUsbAdapter(const SerialDevice& device)
{
    return device.name.startsWith("ttyUSB") || device.name.startsWith("ttyACM");
}

bool SameDevice(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return a == b || (!canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath());
}

} // namespace

CPortDeviceLine::CPortDeviceLine(QWidget* dialog, QComboBox* portSelector, CSerialDeviceList devices,
                                 CAdapterDiagnosis diagnosis)
    : QObject(dialog)
    , m_portSelector(portSelector)
    , m_selector(Control<QComboBox>(dialog, kSelectorId))
    , m_note(Control<QLabel>(dialog, kNoteId))
    , m_devices(std::move(devices))
    , m_diagnosis(std::move(diagnosis))
{
    m_selector->setItemDelegate(new CWholeEntryDelegate(m_selector));
    m_note->setTextFormat(Qt::RichText);
    connect(m_note, &QLabel::linkActivated, this, &CPortDeviceLine::ShowDetails);
    connect(m_portSelector, &QComboBox::currentIndexChanged, this, &CPortDeviceLine::ShowCurrentDevice);
    connect(m_selector, &QComboBox::currentIndexChanged, this, &CPortDeviceLine::OnDeviceChosen);
    Scan();
}

int CPortDeviceLine::PortNumber() const
{
    return m_portSelector->currentIndex() + 1;
}

void CPortDeviceLine::Scan()
{
    const QSignalBlocker blocker(m_selector);
    m_selector->clear();
    m_entries.clear();
    const std::vector<SerialDevice> devices = m_devices.Scan(OwnDevice());
    for (const SerialDevice& device : devices)
        AddEntry(device);
    ShowDiagnosis(std::any_of(devices.begin(), devices.end(), IsUsbAdapter));
    int widest = 0;
    for (const SerialDevice& device : m_entries)
        widest = std::max(widest, m_selector->fontMetrics().horizontalAdvance(EntryText(device)));
    m_selector->view()->setMinimumWidth(widest + 2 * m_selector->fontMetrics().averageCharWidth());
    ShowCurrentDevice();
}

void CPortDeviceLine::ShowDiagnosis(bool adapterListed)
{
    m_findings = m_diagnosis.Diagnose(adapterListed);
    QStringList found;
    for (const AdapterFinding& finding : m_findings)
        found << finding.what.toHtmlEscaped();
    QString text = adapterListed ? QString() : "未找到 USB 串口适配器";
    if (!found.isEmpty())
        text += (text.isEmpty() ? "" : "：") + found.join("；") + " <a href=\"details\">详情…</a>";
    else if (!text.isEmpty())
        text += "。";
    m_note->setText(text);
}

void CPortDeviceLine::ShowDetails() const
{
    QStringList details;
    for (const AdapterFinding& finding : m_findings)
        details << finding.detail;
    VelorMessageBox(details.join("\n\n"), MB_OK | MB_ICONINFORMATION, "串口设备检查");
}

int CPortDeviceLine::AddEntry(const SerialDevice& device)
{
    m_entries.push_back(device);
    m_selector->addItem(ShortText(EntryText(device)));
    const int index = m_selector->count() - 1;
    m_selector->setItemData(index, EntryText(device), kWholeTextRole);
    m_selector->setItemData(index, EntryToolTip(device), Qt::ToolTipRole);
    if (!device.problem.isEmpty())
        m_selector->setItemData(index, QColor(Qt::darkRed), Qt::ForegroundRole);
    return index;
}

QString CPortDeviceLine::ShortText(const QString& text) const
{
    QStyleOptionComboBox option;
    option.initFrom(m_selector);
    const QRect field = m_selector->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                            QStyle::SC_ComboBoxEditField, m_selector);
    return m_selector->fontMetrics().elidedText(text, Qt::ElideRight, field.width() - 4);
}

// Selects the device the shown port stands for now; one that the scan did not
// find (no such device, a ttyS without UART) is added so its problem shows.
void CPortDeviceLine::ShowCurrentDevice()
{
    if (m_portSelector->currentIndex() < 0)
        return;
    const QString current = m_devices.CurrentDevice(PortNumber());
    int index = -1;
    for (int i = 0; i < static_cast<int>(m_entries.size()) && index < 0; ++i)
        if (SameDevice(m_entries[i].path, current))
            index = i;
    if (index < 0) {
        const QSignalBlocker blocker(m_selector);
        index = AddEntry(m_devices.Describe(current, current, "当前设置", OwnDevice()));
    }
    m_selector->setCurrentIndex(index);
    OnDeviceChosen();
}

void CPortDeviceLine::OnDeviceChosen()
{
    const int index = m_selector->currentIndex();
    const bool known = index >= 0 && index < static_cast<int>(m_entries.size());
    m_selector->setToolTip(known ? EntryToolTip(m_entries[index]) : QString());
    QPalette palette = m_selector->parentWidget()->palette();
    if (known && !m_entries[index].problem.isEmpty())
        palette.setColor(QPalette::ButtonText, Qt::darkRed);
    m_selector->setPalette(palette);
}

bool CPortDeviceLine::Commit(int portNumber)
{
    const int index = m_selector->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return true;
    const QString chosen = m_entries[index].path;
    if (chosen == m_devices.CurrentDevice(portNumber))
        return true;
    QString error;
    if (m_devices.WritePortLink(portNumber, chosen, &error))
        return true;
    VelorMessageBox(error, MB_OK | MB_ICONERROR);
    return false;
}
