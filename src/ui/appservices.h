#pragma once

#include <QString>

class Desktop;
class Prompt;
class WebClient;

// What the windows share for the whole run; the program fills it in main(), tests with fakes.
struct AppServices
{
    WebClient *web = nullptr;
    Prompt *prompt = nullptr;
    Desktop *desktop = nullptr;
    QString programDir; // the working folder: support, skin, audio and portrait files
};
