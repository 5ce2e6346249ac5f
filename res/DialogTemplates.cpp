// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

#include <map>

namespace {

std::map<int, DialogTemplate> BuildTable()
{
    std::map<int, DialogTemplate> table;
    for (DialogTemplate t : {
             MakeTemplate102(),
             MakeTemplate129(),
             MakeTemplate130(),
             MakeTemplate132(),
             MakeTemplate134(),
             MakeTemplate133(),
             MakeTemplate135(),
             MakeTemplate136(),
             MakeTemplate158(),
             MakeTemplate148(),
             MakeTemplate151(),
             MakeTemplate150(),
             MakeTemplate152(),
             MakeTemplate181(),
             MakeTemplate179(),
             MakeTemplate180(),
         })
        table.emplace(t.id, std::move(t));
    return table;
}

} // namespace

const DialogTemplate& FindDialogTemplate(int id)
{
    static const std::map<int, DialogTemplate> table = BuildTable();
    static const DialogTemplate empty;
    const auto found = table.find(id);
    return found == table.end() ? empty : found->second;
}
