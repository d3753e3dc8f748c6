#pragma once

#include <cstddef>
#include <functional>

#include <QString>
#include <QStringList>

// Speech through the desktop's speech service. The implementation lives in a module of its own
// (the "kaz-speech" library, built on Qt TextToSpeech over speech-dispatcher) that is loaded
// on the first word, so the speech service and its libraries stay off the path to the first
// window. The engine talks to the service on a thread of its own: a service that hangs never
// holds up the window or a drill.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Speaks text in language (an ISO 639-1 code) once what is still spoken has ended, so that
    // nothing of ours or of a screen reader on the same service is cut off. Returns at once;
    // at most kSpeechWaiting texts wait, the oldest is dropped for a newer one.
    virtual void say(const QString& text, const QString& language) = 0;
    // Forgets the texts that wait for their turn (what is being spoken ends as it is): what
    // follows replaces them.
    virtual void dropWaiting() = 0;
    // The languages of the service's voices as it names them; waits at most waitMs for the
    // service to answer (ms), empty when it did not (yet).
    virtual QStringList languages(int waitMs) = 0;
};

class QObject;

// Called on the GUI thread with a German sentence whenever speech failed.
using SpeechFault = std::function<void(const QString& reason)>;
// The module's one entry point: an engine owned by owner (the application object). Resolved by
// this name.
using CreateSpeechEngine = SpeechEngine* (*)(QObject* owner, SpeechFault fault);
inline constexpr const char* kCreateSpeechEngineSymbol = "kazCreateSpeechEngine";
inline constexpr const char* kSpeechModuleName = "kaz-speech";
// How long the service may take to take a text before it counts as not answering (ms).
inline constexpr int kSpeechAnswerMs = 2000;
// How long a text of ours may take to be spoken before the next one stops waiting for it (ms):
// a service that never says it has ended counts as not answering then.
inline constexpr int kSpeechLongestMs = 60000;
// How many texts may wait for their turn (a drill's step is up to four).
inline constexpr std::size_t kSpeechWaiting = 8;
