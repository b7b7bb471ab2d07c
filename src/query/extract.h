#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// Rules that cut single values out of the services' answer texts by fixed markers.
// None of them parses structure, none throws; a value that cannot be cut comes back empty (0).

struct VisitorCounts
{
    QString today;
    QString total;
};

// "todaycount" up to its first "}" then first ","; "totalcount" up to its first "}".
VisitorCounts ExtractVisitorCounts(const QString &visitorText);
// Piece 1 of a split at ",", read as a plain decimal number; 0 when it does not read.
double ExtractPoints(const QString &portraitText);
// The same reading, empty when there is no such number.
std::optional<double> pointsIn(const QString &portraitText);
// Piece 6 of a split at ",", without double quotes and surrounding spaces.
QString ExtractNickname(const QString &portraitText);
// Piece 2 of a split at "new Number(", up to and without its first ")".
QString ExtractMoodCount(const QString &moodsText);
// How many times `marker` occurs in `text` (each match counted, searching on one character
// after the start of the previous match).
std::int64_t countMarker(const QString &text, const QString &marker);

inline constexpr char blogMarker[] = "blogid";
inline constexpr char musicMarker[] = "xqusic_id";

struct FlowerVineValues
{
    QString sunshine;
    QString rain;
    QString love;
    QString nutrition;
    QString level;
};

// The four values (markers "iSun", "iRain", "iLove", "iNutri") and the level (marker
// `iGardener":`) of a flower-vine answer.
FlowerVineValues extractFlowerVine(const QString &answer);

// `text` without leading and trailing spaces (U+0020 only; tabs belong to the value).
QString trimSpaces(const QString &text);

// A whole number as the services write it (decimal digits, maybe a minus); empty for anything
// else, blanks included.
std::optional<std::int64_t> plainCount(const QString &digits);

// The points cell's number: the shortest decimal text of `points`, never with an exponent.
QString formatPoints(double points);
