// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamCatalogue.h"
#include "params/ParamFile.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

// Parameters kept without a controller (a file, a snapshot of the service
// record): their values, the catalogue they belong to and when they were read.
struct KeptParameters
{
    QString name; // what the technician calls it: a file name, "快照 …"
    CParamCatalogue catalogue;
    std::vector<ParamRecord> records; // in file or parameter order
    QDateTime readAt;                 // invalid for a file
};

// The catalogue a file's record count names, or a message saying why the
// file is no parameter file of either board.
std::optional<CParamCatalogue> CatalogueOfFile(const ParamFileContents& contents, QString& why);

// Shows what other changes against base in the review dialog, read-only.
void ShowOfflineComparison(const KeptParameters& base, const KeptParameters& other, QWidget* parent);
// Asks for a parameter file (fileBaseName: the dialog's filter) and compares it with base.
void CompareWithChosenFile(const KeptParameters& base, const QString& fileBaseName, QWidget* parent);
