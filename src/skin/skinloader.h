#pragma once

#include <QString>

// Applies the skin file `skinFile` through the skin module at `modulePath` (named by its full
// path: dlopen does not search the working directory). False when the module cannot be loaded
// or has no entry point, or when it did not apply the skin; the windows then keep the
// platform's own look.
bool applySkin(const QString &modulePath, const QString &skinFile);
