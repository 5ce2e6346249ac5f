// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

namespace {

// One labelled group of 32 lamps in rows of 11, 11 and 10, each lamp with its
// bit number under it.
struct LampGroup
{
    const char* label;
    int labelX, labelY;
    int firstLampId;
    int lampRowY[3];
    int numberRowY[3];
};

const LampGroup kLampGroups[] = {
    {"主板输入(X):", 21, 12, 1050, {29, 56, 84}, {41, 67, 96}},
    {"轿厢板输入(TX):", 21, 112, 1082, {128, 157, 185}, {141, 169, 197}},
    {"主板输出(Y):", 21, 214, 1125, {230, 258, 288}, {242, 270, 299}},
};

constexpr int kBitsPerGroup = 32;
constexpr int kLampsPerRow = 11;
constexpr int kFirstLampX = 44;
constexpr int kLampPitch = 17;
constexpr int kLampWidth = 9;
constexpr int kLampHeight = 10;

void AddLampGroup(DialogTemplate& page, const LampGroup& group)
{
    page.controls.push_back(
        {kStaticId, ControlKind::Static, group.label, group.labelX, group.labelY, 90, 8});
    for (int bit = 0; bit < kBitsPerGroup; ++bit) {
        const int row = bit / kLampsPerRow;
        const int x = kFirstLampX + kLampPitch * (bit % kLampsPerRow);
        page.controls.push_back({group.firstLampId + bit, ControlKind::LampStatic, "#140", x,
                                 group.lampRowY[row], kLampWidth, kLampHeight});
        // The number is centred under its lamp.
        page.controls.push_back({kStaticId, ControlKind::Static, QString::number(bit), x - 3,
                                 group.numberRowY[row], kLampWidth + 6, 8, StyleCenter});
    }
}

} // namespace

// The I/O status page: the main board's inputs X0-X31, the car board's inputs
// TX0-TX31 and the main board's outputs Y0-Y31 as lamps.
DialogTemplate MakeTemplate134()
{
    DialogTemplate page{134, "", 264, 323, "宋体", 10, {}};
    page.style = DialogChild;
    for (const LampGroup& group : kLampGroups)
        AddLampGroup(page, group);
    return page;
}
