#pragma once

#include <array>

#include <QString>

// The files written beside the executable at every start. Each one's bytes are built into the
// program as the resource ":/support/<id>".
namespace SupportFiles {

struct Entry
{
    int id;
    const char *name; // appended to the program directory; the leading "\" means "in it"
};

inline constexpr std::array<Entry, 9> SupportFileTable {{
        {122, "\\SkinH_VB6.dll"},
        {111, "\\skinh.she"},
        {124, "\\COMDLG32.OCX"},
        {126, "\\MSCOMCTL.OCX"},
        {127, "\\MSINET.OCX"},
        {132, "\\Image.OCX"},
        {130, "\\TABCTL32.OCX"},
        {133, "\\zv.mp3"},
        {131, "\\h.jpg"},
}};

// The resource path of an entry's bytes.
QString resourcePath(const Entry &entry);
// Where an entry lands in `programDir`.
QString filePath(const QString &programDir, const Entry &entry);
// Writes every file of the table, in order, each replacing any file of that name whole.
// A file that cannot be written is skipped without a word. Returns how many were written.
int writeAll(const QString &programDir);

} // namespace SupportFiles
