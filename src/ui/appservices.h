#pragma once

#include <memory>

#include <QString>

class Desktop;
class Prompt;
class Session;
class WebClient;

// What the windows share for the whole run; the program fills it in main(), tests with fakes.
struct AppServices
{
    WebClient *web = nullptr;
    Prompt *prompt = nullptr;
    Desktop *desktop = nullptr;
    QString programDir; // the working folder: support, skin, audio and portrait files
    // The user's signed-in session, when there is one: every query's services carry it.
    std::shared_ptr<const Session> session;
    // The file the session is kept in, and why the one there could not be used (empty when it
    // was used or there was none).
    QString sessionPath;
    QString sessionProblem;
};
