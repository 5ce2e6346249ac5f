// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// "<what> <path>：<reason>", the path as the system writes it: how a file
// that could not be written or read is reported.
QString FileFailureText(const QString& what, const QString& path, const QString& reason);

// Writes bytes to a temporary file beside path and puts it in the place of
// path only when all of them are written, so a failure never leaves a
// truncated file where a good one was. Where no temporary file can be made
// beside it (a folder the user may not add files to), an existing file is
// written in place, its old bytes kept and written back when the write fails
// part-way; the error then says whether they were. On failure error says "无法创建<kind>" or "无法保存<kind>"
// with the file and the reason.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, const QString& kind, QString& error);
