// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TemplateLoader.h"

#include "ui/ListView.h"
#include "ui/ArrowStatic.h"
#include "ui/CellList.h"
#include "ui/LampStatic.h"
#include "res/DialogTemplates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// Installed by the setup step; stand in for the Windows dialog fonts. The Ming
// (Song) face has the metrics of the dialog font the templates were laid out
// for (7 x 13 pixels at 10 points), so dialogs keep their designed size; the
// sans face is the fallback where it is missing.
const QStringList kCjkFallbackFamilies = {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")};

// a * b / c rounded to the nearest integer, as dialog unit mapping rounds.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

QLabel* CreateStatic(const ControlTemplate& control, QWidget* parent)
{
    auto* label = new QLabel(control.text, parent);
    label->setWordWrap(true);
    const Qt::Alignment horizontal = (control.style & StyleCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
    label->setAlignment(horizontal | Qt::AlignTop);
    if (control.style & StyleBorder)
        label->setFrameShape(QFrame::Box);
    return label;
}

QPushButton* CreateButton(const ControlTemplate& control, QWidget* parent)
{
    auto* button = new QPushButton(control.text, parent);
    button->setDefault(control.kind == ControlKind::DefPushButton);
    return button;
}

QComboBox* CreateCombo(const ControlTemplate& control, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    if (control.kind == ControlKind::ComboDropDown) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
    }
    combo->addItems(control.entries);
    combo->setCurrentIndex(-1);  // a selector starts without a selected entry
    return combo;
}

// A report list view; a cell list is one with a cell cursor.
QTreeWidget* CreateListView(const ControlTemplate& control, QWidget* parent)
{
    auto* list = control.kind == ControlKind::CellList ? new CCellList(parent) : new QTreeWidget(parent);
    SetupReportView(list);
    if (control.style & StyleMultiSelect)
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

QTabWidget* CreateTabControl(QWidget* parent)
{
    auto* tabs = new QTabWidget(parent);
    tabs->setUsesScrollButtons(false);
    return tabs;
}

constexpr QLatin1StringView kControlNamePrefix("ctl");

} // namespace

QString ControlName(int id)
{
    return kControlNamePrefix + QString::number(id);
}

bool IsTemplateControl(const QObject* object)
{
    return object->objectName().startsWith(kControlNamePrefix);
}

CTemplateLoader::CTemplateLoader(const DialogTemplate& dialogTemplate)
    : m_template(dialogTemplate),
      m_font(TemplateFont(dialogTemplate.fontName, dialogTemplate.pointSize)),
      m_baseUnits(BaseUnits(m_font))
{
}

void CTemplateLoader::Load(int templateId, QWidget* root)
{
    CTemplateLoader(FindDialogTemplate(templateId)).Build(root);
}

QFont CTemplateLoader::TemplateFont(const QString& family, int pointSize)
{
    QFont font;
    if (!family.isEmpty())
        font.setFamilies(QFontDatabase::hasFamily(family) ? QStringList{family} : kCjkFallbackFamilies);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

QSize CTemplateLoader::BaseUnits(const QFont& font)
{
    static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    const int averageWidth = (metrics.horizontalAdvance(kLetters) / 26 + 1) / 2;
    return {averageWidth, metrics.height()};
}

QRect CTemplateLoader::MapDialogRect(int x, int y, int w, int h) const
{
    const int cx = m_baseUnits.width();
    const int cy = m_baseUnits.height();
    const int left = MulDiv(x, cx, 4);
    const int top = MulDiv(y, cy, 8);
    const int right = MulDiv(x + w, cx, 4);
    const int bottom = MulDiv(y + h, cy, 8);
    return {left, top, right - left, bottom - top};
}

QSize CTemplateLoader::DialogSize() const
{
    return MapDialogRect(0, 0, m_template.w, m_template.h).size();
}

void CTemplateLoader::Build(QWidget* root) const
{
    root->setFont(m_font);
    root->resize(DialogSize());
    if (!m_template.caption.isEmpty())
        root->setWindowTitle(m_template.caption);
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = CreateControl(control, root);
        widget->setObjectName(ControlName(control.id));
        widget->setProperty("controlId", control.id);
        Place(widget, control);
        widget->setEnabled(!(control.style & StyleDisabled));
        widget->setVisible(!(control.style & StyleHidden));
    }
}

// The one place where a control kind becomes a widget.
QWidget* CTemplateLoader::CreateControl(const ControlTemplate& control, QWidget* parent) const
{
    switch (control.kind) {
    case ControlKind::Static:
    case ControlKind::Picture:
        return CreateStatic(control, parent);
    case ControlKind::Edit:
        return new QLineEdit(control.text, parent);
    case ControlKind::Button:
    case ControlKind::DefPushButton:
        return CreateButton(control, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(control.text, parent);
    case ControlKind::RadioButton:
        return new QRadioButton(control.text, parent);
    case ControlKind::GroupBox:
        return new QGroupBox(control.text, parent);
    case ControlKind::ComboDropList:
    case ControlKind::ComboDropDown:
        return CreateCombo(control, parent);
    case ControlKind::ListView:
        return CreateListView(control, parent);
    case ControlKind::TabControl:
        return CreateTabControl(parent);
    case ControlKind::LampStatic:
        return new CLampStatic(parent);
    case ControlKind::ArrowStatic:
        return new CArrowStatic(parent);
    case ControlKind::CellList:
        return CreateListView(control, parent);
    }
    return new QWidget(parent);
}

void CTemplateLoader::Place(QWidget* widget, const ControlTemplate& control) const
{
    QRect rect = MapDialogRect(control.x, control.y, control.w, control.h);
    // An image static takes the size of its image.
    const bool imageStatic = control.kind == ControlKind::LampStatic || control.kind == ControlKind::ArrowStatic;
    if (imageStatic && widget->sizeHint().isValid())
        rect.setSize(widget->sizeHint());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // A selector's template height includes its dropped-down list.
        const int fieldHeight = combo->sizeHint().height();
        const int itemHeight = QFontMetrics(m_font).height() + 2;
        combo->setMaxVisibleItems(std::max(1, (rect.height() - fieldHeight) / itemHeight));
        rect.setHeight(fieldHeight);
    }
    widget->setGeometry(rect);
}
