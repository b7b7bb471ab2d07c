#pragma once

#include <QByteArray>
#include <QtGlobal>

// The made-up avatars of the offline trial: painted, not stored, so every number gets its own
// pictures and the same number always gets the same ones.
namespace OfflineDemo {

enum class AvatarStyle {
    Face, // the QQ portrait: a face on a plain background
    Garden, // the QZone portrait: a flower in a small landscape
};
// A square PNG avatar `side` pixels wide; `seed` picks the colours.
QByteArray avatarPng(AvatarStyle style, int side, quint32 seed);

} // namespace OfflineDemo
