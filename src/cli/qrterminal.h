#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

// A QR code for a terminal: read back from the login's picture into its modules, and drawn
// with block characters, two rows of modules to a line, so a phone can scan it off the screen.
struct QrModules
{
    int size = 0; // modules per side
    QList<bool> dark; // row by row
    bool at(int x, int y) const { return dark.at(y * size + x); }
};

// The modules of a QR code picture (dark on light, any whole number of pixels a module, any
// quiet zone); none when the picture is no such code.
std::optional<QrModules> modulesOfPicture(const QByteArray &png);

// The code drawn with "▀", "▄", "█" and spaces inside a quiet zone of four modules: dark
// modules as block characters. With `colours`, each line is set dark on light by ANSI escapes,
// whatever the terminal's own colours.
QString drawForTerminal(const QrModules &modules, bool colours);
