// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QValidator>

// Lets an edit take a text only as far as the controller keeps it whole: at
// most a number of GBK bytes, so a Chinese character counts two. A text the
// controller would cut short cannot be typed or pasted.
class CControllerTextValidator : public QValidator
{
    Q_OBJECT
public:
    CControllerTextValidator(int mostBytes, QObject* parent);

    State validate(QString& text, int& pos) const override;

private:
    int m_mostBytes;
};
