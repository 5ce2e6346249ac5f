// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A dialog template: the table of a dialog's or page's controls with their ids,
// texts and positions in dialog units, built into widgets by CTemplateLoader.

enum class ControlKind {
    Static,
    Edit,
    Button,
    DefPushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    ComboDropList,  // selector without an edit field
    ComboDropDown,  // selector with an edit field
    ListView,       // report view: columns with a header, one item per row
    TabControl,
    LampStatic,
    ArrowStatic,
    CellList,
    Picture,
};

// Control style bits.
enum ControlStyle : unsigned {
    StyleHidden = 1u << 0,
    StyleDisabled = 1u << 1,
    StyleCenter = 1u << 2,       // static: centred text
    StyleBorder = 1u << 3,       // static or list view with a border
    StyleMultiSelect = 1u << 4,  // list view: more than one row may be selected
    StyleMultiLine = 1u << 5,    // tab control: tabs wrap into further rows
};

// Dialog style bits.
enum DialogStyle : unsigned {
    DialogChild = 1u << 0,      // a page inside the tab control
    DialogNoCaption = 1u << 1,  // popup without a caption bar
};

// The id of statics that code never addresses.
constexpr int kStaticId = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    QString text;
    int x, y, w, h;  // dialog units
    unsigned style = 0;
    QStringList entries = {};  // combo box entries, in this order
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    int w = 0, h = 0;  // dialog units
    QString fontName;
    int pointSize = 0;
    std::vector<ControlTemplate> controls;
    unsigned style = 0;
};
