// The sound module: SoundPlayer on QSoundEffect.
#include "sound_player.h"

#include <QSoundEffect>

namespace {

class SoundEffectPlayer : public QSoundEffect, public SoundPlayer {
public:
    explicit SoundEffectPlayer(QObject* owner) : QSoundEffect(owner) {}
    void play(const QUrl& source) override
    {
        QSoundEffect::stop();
        setSource(source); // a sound that is still loading plays once loaded
        QSoundEffect::play();
    }
    void stop() override { QSoundEffect::stop(); }
    QUrl source() const override { return QSoundEffect::source(); }
};

} // namespace

extern "C" Q_DECL_EXPORT SoundPlayer* kazCreateSoundPlayer(QObject* owner)
{
    return new SoundEffectPlayer(owner);
}
