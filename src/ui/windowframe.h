#pragma once

class QWidget;

// How the program's windows sit on the desktop: their place and their (absent) icon.

// Moves `window` so that its outer frame (the border and title bar the window manager adds
// included) sits in the middle of its screen's free area. Until the window manager has framed
// a window its frame is unknown and the client area stands in; a window not shown yet is
// centred again by its frame as soon as it first appears.
void centreOnScreen(QWidget *window);

// Gives `window` no icon in its title bar: a fully transparent one, since an empty icon means
// the application's.
void clearWindowIcon(QWidget *window);
