#pragma once

class QWidget;

// Moves `window` so that its client area sits in the middle of its screen's free area.
void centreOnScreen(QWidget *window);
