// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// velor-record report [VISIT | --last] -o FILE.pdf: the service report of a
// visit as a PDF. Runs its own application (the PDF writer needs Qt GUI, on a
// terminal without a display too) and returns the program's exit code.
int RunReportCommand(int argc, char** argv);
