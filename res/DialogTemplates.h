// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/DialogTemplate.h"

// The program's dialog templates, found by template id. Each template is made
// in its own source file res/Template<N>.cpp.
const DialogTemplate& FindDialogTemplate(int id);

DialogTemplate MakeTemplate102();
DialogTemplate MakeTemplate129();
DialogTemplate MakeTemplate130();
DialogTemplate MakeTemplate132();
DialogTemplate MakeTemplate134();
DialogTemplate MakeTemplate133();
DialogTemplate MakeTemplate135();
DialogTemplate MakeTemplate136();
DialogTemplate MakeTemplate158();
DialogTemplate MakeTemplate148();
DialogTemplate MakeTemplate151();
DialogTemplate MakeTemplate150();
DialogTemplate MakeTemplate152();
DialogTemplate MakeTemplate181();
DialogTemplate MakeTemplate179();
DialogTemplate MakeTemplate180();
