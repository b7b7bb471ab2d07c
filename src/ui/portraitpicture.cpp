#include "ui/portraitpicture.h"

#include <QImageReader>

namespace PortraitPicture {

QPixmap load(const QString &filePath)
{
    QImageReader reader(filePath);
    reader.setDecideFormatFromContent(true); // "head2.bmp" holds whatever the service sent
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > largestSide || size.height() > largestSide)
        return {};
    return QPixmap::fromImage(reader.read());
}

} // namespace PortraitPicture
