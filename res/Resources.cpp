// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/Resources.h"

#include <QFile>
#include <QPixmap>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterResources()
{
    Q_INIT_RESOURCE(velor);
}

void InitVelorResources()
{
    static const bool registered = (RegisterResources(), true);
    (void)registered;
}

QImage LoadBitmapResource(int id)
{
    return QImage(QStringLiteral(":/res/bitmap%1.png").arg(id));
}

QPixmap LoadMaskedBitmapResource(int id)
{
    QImage image = LoadBitmapResource(id).convertToFormat(QImage::Format_ARGB32);
    const QRgb magenta = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == magenta)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

QIcon LoadIconResource(int id)
{
    const QString path = QStringLiteral(":/res/icon%1.png").arg(id);
    if (!QFile::exists(path))
        return {};
    QIcon icon(path);
    // The program icon comes at the sizes the desktop's theme has too, so
    // task switchers and large panels show it sharp.
    if (id == 128)
        for (int size : {48, 128, 256})
            icon.addFile(QStringLiteral(":/res/icons/velor-%1.png").arg(size));
    return icon;
}
