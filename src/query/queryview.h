#pragma once

#include <QString>

struct FlowerVineValues;

// What a running query needs from its window. Everything else (lock, caption, status text,
// the new row) the window does itself before the query starts.
class QueryView
{
public:
    enum class Portrait { QZone, QQ }; // "face" into aicAlphaImage1, "head" into aicAlphaImage2

    virtual ~QueryView() = default;
    // Writes a cell of the query's row, addressed by column key.
    virtual void writeCell(const QString &key, const QString &text) = 0;
    // Whether the portraits are wanted (the state of the check box right now).
    virtual bool portraitsWanted() const = 0;
    // Shows the image file `filePath` (possibly missing or not an image) in a portrait control;
    // an empty path, or a file that is no picture, shows the built-in default.
    virtual void showPortrait(Portrait which, const QString &filePath) = 0;
    // Fills the flower-vine panel.
    virtual void showFlowerVine(const FlowerVineValues &values) = 0;
    // The query's completion: unlock, remember the number, report success.
    virtual void completeQuery() = 0;
};
