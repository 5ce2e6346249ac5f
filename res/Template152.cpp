// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The floor display code dialog: the parameter's description over the code
// selector. The selector is a drop list, so that the technician always picks
// an entry of the code set.
DialogTemplate MakeTemplate152()
{
    return {152, "Dialog", 133, 143, "宋体", 10,
            {
                {1036, ControlKind::Static, "Static", 7, 7, 119, 27},
                {1054, ControlKind::ComboDropList, "", 47, 48, 38, 71},
                {1, ControlKind::DefPushButton, "OK", 7, 122, 50, 14},
                {2, ControlKind::Button, "Cancel", 76, 122, 50, 14},
            }};
}
