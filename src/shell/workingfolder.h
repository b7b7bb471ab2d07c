#pragma once

#include <QString>

// The one folder where the program writes its files and reads them back: the support files,
// the skin, the audio clip and the portraits.
namespace WorkingFolder {

// `programDir` when the program can write there and it is not an installed copy (unpack and
// run); otherwise `dataFolder`, created when missing. Falls back to `programDir` when the data
// folder cannot be made either, so nothing changes for a run that could write nowhere.
QString choose(const QString &programDir, const QString &dataFolder);

// choose() for this process: the executable's folder, and the user's data folder for the
// program (~/.local/share/Mirelo). The application name must be set first.
QString forThisRun();

} // namespace WorkingFolder
