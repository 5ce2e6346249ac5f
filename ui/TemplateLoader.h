// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/DialogTemplate.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

// The object name a control gets from its template id.
QString ControlName(int id);
// The widget is a control a template made (named by ControlName).
bool IsTemplateControl(const QObject* object);

// The control with template id `id` below `root`, or nullptr when there is none
// or it is not a T.
template<class T>
T* Control(const QWidget* root, int id)
{
    return root ? root->findChild<T*>(ControlName(id)) : nullptr;
}

// Builds a dialog template's controls into a widget. Positions and sizes in
// dialog units become pixels through the template font's base units: the
// average character width over a quarter for x and widths, the character height
// over eight for y and heights. Every control is a direct child of the root, keeps
// the template's order (which is also the tab order) and carries its id as object
// name "ctl<id>" and as property "controlId".
class CTemplateLoader {
public:
    explicit CTemplateLoader(const DialogTemplate& dialogTemplate);

    // Builds template `templateId` into `root`; an unknown id gives an empty root.
    static void Load(int templateId, QWidget* root);

    // The template's font; a family that is not installed (the Windows dialog
    // fonts) falls back to the installed CJK font.
    static QFont TemplateFont(const QString& family, int pointSize);
    // Average character width and character height of `font`, in pixels.
    static QSize BaseUnits(const QFont& font);

    QFont Font() const { return m_font; }
    QSize BaseUnits() const { return m_baseUnits; }
    // A rectangle in dialog units mapped to pixels (each edge mapped on its own).
    QRect MapDialogRect(int x, int y, int w, int h) const;
    QSize DialogSize() const;

    // Gives root the template's font, size and caption and creates its controls.
    void Build(QWidget* root) const;

private:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) const;
    void Place(QWidget* widget, const ControlTemplate& control) const;

    DialogTemplate m_template;
    QFont m_font;
    QSize m_baseUnits;
};
