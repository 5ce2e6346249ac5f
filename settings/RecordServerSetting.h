// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// recordserver under the settings key: the libpq connection string of the
// company's record server ("host=records.example.com dbname=velor user=tech07
// sslmode=verify-full"). Never a password: libpq reads it from ~/.pgpass or
// the environment. Empty when the value is missing or unreadable: then the
// laptop's record stands alone; problem (when given) names what could not be read.
QString ReadRecordServer(QString* problem = nullptr);
