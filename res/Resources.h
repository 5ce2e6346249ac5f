// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's bitmaps and icon, built in as Qt resources. The resources live
// in the static core library, so the program and the tests register them once
// at start with InitVelorResources() before anything loads an image.
void InitVelorResources();

// Bitmap `id` (139, 140, 143, 144) as drawn, magenta pixels included; a null
// image for an id the program does not hold.
QImage LoadBitmapResource(int id);

// The same bitmap with magenta (255,0,255) turned transparent.
QPixmap LoadMaskedBitmapResource(int id);

// Icon `id` (128: the program icon, 32 px drawn and 48/128/256 px from
// res/icons/velor.svg); a null icon for an id the program does not hold.
QIcon LoadIconResource(int id);
