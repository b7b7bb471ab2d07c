#include "cli/qrterminal.h"

#include <cmath>

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace {

constexpr int finderModules = 7; // the dark run across the top of a finder pattern
constexpr int smallest = 21; // version 1
constexpr int largest = 177; // version 40
constexpr int versionStep = 4;
constexpr int darkBelow = 128;
constexpr int largestPicture = 2048;
constexpr int quietModules = 4;
const QString darkOnLight = QStringLiteral("\x1b[30;107m");
const QString plain = QStringLiteral("\x1b[0m");

} // namespace

std::optional<QrModules> modulesOfPicture(const QByteArray &png)
{
    // The login's code is 111 pixels wide: one that claims far more is no code, and would only
    // keep the reading busy.
    QBuffer buffer;
    buffer.setData(png);
    QImageReader reader(&buffer, "PNG");
    const QSize claimed = reader.size();
    if (!claimed.isValid() || claimed.width() > largestPicture || claimed.height() > largestPicture)
        return std::nullopt;
    const QImage image = reader.read().convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull())
        return std::nullopt;
    const auto dark = [&image](int x, int y) { return qGray(image.pixel(x, y)) < darkBelow; };
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!dark(x, y))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0 || right - left != bottom - top)
        return std::nullopt;
    // The top-left finder's upper edge: seven dark modules in a row.
    int run = 0;
    while (left + run <= right && dark(left + run, top))
        ++run;
    const double pixels = double(run) / finderModules;
    const int side = int(std::lround((right - left + 1) / pixels));
    if (pixels < 1 || side < smallest || side > largest || (side - smallest) % versionStep != 0)
        return std::nullopt;
    QrModules modules;
    modules.size = side;
    modules.dark.reserve(qsizetype(side) * side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int px = std::min(right, left + int((x + 0.5) * pixels));
            const int py = std::min(bottom, top + int((y + 0.5) * pixels));
            modules.dark.append(dark(px, py));
        }
    }
    return modules;
}

QString drawForTerminal(const QrModules &modules, bool colours)
{
    const int side = modules.size + 2 * quietModules;
    const auto darkAt = [&modules](int x, int y) {
        x -= quietModules;
        y -= quietModules;
        return x >= 0 && y >= 0 && x < modules.size && y < modules.size && modules.at(x, y);
    };
    QString text;
    for (int y = 0; y < side; y += 2) {
        if (colours)
            text += darkOnLight;
        for (int x = 0; x < side; ++x) {
            const bool upper = darkAt(x, y);
            const bool lower = y + 1 < side && darkAt(x, y + 1);
            text += upper && lower ? u'█' : upper ? u'▀' : lower ? u'▄' : u' ';
        }
        if (colours)
            text += plain;
        text += u'\n';
    }
    return text;
}
