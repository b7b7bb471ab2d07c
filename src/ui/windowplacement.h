#pragma once

class QWidget;

// Moves `window` so that its outer frame (the border and title bar the window manager adds
// included) sits in the middle of its screen's free area. Until the window manager has framed
// a window its frame is unknown and the client area stands in; a window not shown yet is
// centred again by its frame as soon as it first appears.
void centreOnScreen(QWidget *window);
