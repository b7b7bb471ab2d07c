#pragma once

class QCoreApplication;

// Makes Qt's own texts (message-box buttons, the text boxes' context menus) Simplified Chinese
// like the rest of the program, whatever the user's locale. Returns false when Qt's Chinese
// catalogue is not installed; Qt's English texts stay then.
bool installChineseQtTexts(QCoreApplication *app);
