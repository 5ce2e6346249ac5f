// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The value entry dialog: the parameter's description over one edit field.
DialogTemplate MakeTemplate148()
{
    return {148, "", 135, 145, "宋体", 10,
            {
                {1036, ControlKind::Static, "Static", 7, 7, 121, 51},
                {1001, ControlKind::Edit, "", 37, 79, 65, 14},
                {1, ControlKind::DefPushButton, "OK", 7, 124, 50, 14},
                {2, ControlKind::Button, "Cancel", 78, 124, 50, 14},
            },
            DialogNoCaption};
}
