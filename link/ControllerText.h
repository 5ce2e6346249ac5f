// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Texts the controller keeps (program name, elevator ID, telephone number)
// travel as GBK (code page 936) bytes; ASCII stands for itself.

// Decodes length bytes of GBK. A byte that starts no valid character shows as
// U+FFFD; a character cut off by the end of the bytes is left out.
QString DecodeControllerText(const char* bytes, int length);

// Encodes text as GBK for the controller, at most maxBytes bytes and never
// half a character. A character GBK cannot hold is sent as '?'.
QByteArray EncodeControllerText(const QString& text, int maxBytes);
