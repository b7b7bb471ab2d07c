#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures that come from the portrait services, for the main window's two boxes and the HD
// window alike.
namespace PortraitPicture {

// The main window's portrait boxes.
inline constexpr QSize boxSize(100, 100);
// Far beyond any portrait (the largest the services make is 640 pixels); refusing larger
// sides, either of them, keeps a hostile answer from eating the memory.
inline constexpr int largestSide = 4096;

// The picture in `filePath`, whatever the file's name says; null when the file is missing, is
// no picture, or has a side longer than largestSide.
QPixmap load(const QString &filePath);

} // namespace PortraitPicture
