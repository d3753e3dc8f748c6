#pragma once

#include <QUrl>

// Plays one wave file at a time. The implementation lives in a module of its own (the
// "kaz-sound" library, built on Qt Multimedia) that is loaded on the first sound, so the
// sound system and its libraries stay off the path to the first window.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Stops what plays and starts source, asynchronously; failures pass silently.
    virtual void play(const QUrl& source) = 0;
    virtual void stop() = 0;
    virtual QUrl source() const = 0;
};

class QObject;

// The module's one entry point: a player owned by owner (the application object, so it never
// outlives the sound system). Resolved by this name.
using CreateSoundPlayer = SoundPlayer* (*)(QObject* owner);
inline constexpr const char* kCreateSoundPlayerSymbol = "kazCreateSoundPlayer";
inline constexpr const char* kSoundModuleName = "kaz-sound";
