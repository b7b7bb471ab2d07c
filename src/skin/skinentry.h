#pragma once

// The skin module's one entry point, shared by the module that defines it and the loader that
// looks it up by name: a change to either side that the other does not share fails to build.

// Applies the skin file at `skinFile` (local 8-bit encoding) to the program's windows; the
// password is unused. Returns 1 when the skin was applied, 0 otherwise.
extern "C" int SkinH_AttachEx(const char *skinFile, const char *password);

using SkinAttachEx = decltype(&SkinH_AttachEx);
inline constexpr char skinAttachExSymbol[] = "SkinH_AttachEx";
