// The speech module: SpeechEngine on Qt TextToSpeech with its speech-dispatcher engine, so the
// voices, rate and language settings of the desktop apply and a screen reader shares the service.
#include "speech_engine.h"

#include <deque>

#include <QLocale>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

namespace {

class Front;

// Lives on the speech thread and owns the QTextToSpeech there: every call into the service,
// which may block, happens on that thread.
class Worker : public QObject {
public:
    explicit Worker(Front& front) : front_(front) {}
    void start();
    void speakPending();
    // The service stopped answering: the next text goes out without waiting for this one.
    void giveUp() { speaking_ = false; }

private:
    Front& front_;
    QTextToSpeech* tts_ = nullptr;
    // A text was given to the service and has not ended: the next one waits for it, since
    // QTextToSpeech cuts off what is still spoken by cancelling every client's speech, the
    // screen reader's included.
    bool speaking_ = false;
};

// The engine as the GUI thread sees it.
class Front : public QObject, public SpeechEngine {
public:
    Front(QObject* owner, SpeechFault fault) : QObject(owner), fault_(std::move(fault))
    {
        // Qt's engine starts with a voice for the default locale; without one (the C locale)
        // it stays in its error state, and its first text then cancels every client's speech,
        // a screen reader's too. The trainer's own language serves then. On the GUI thread,
        // before the engine is made on the speech thread.
        if (QLocale().language() == QLocale::C)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        thread_ = new QThread; // not a child: it may have to outlive us, blocked in the service
        thread_->setObjectName(QStringLiteral("kaz-speech"));
        worker_ = new Worker(*this);
        worker_->moveToThread(thread_);
        thread_->start();
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, this, [this] {
            QMetaObject::invokeMethod(worker_, [w = worker_] {
                w->giveUp();
                w->speakPending();
            });
            report(QStringLiteral("Der Sprachdienst antwortet nicht."));
        });
    }
    ~Front() override
    {
        watchdog_.stop();
        QMetaObject::invokeMethod(
            worker_, [w = worker_] { delete w; }, Qt::QueuedConnection);
        thread_->quit();
        // A thread blocked in the service is left to the end of the process.
        if (thread_->wait(kSpeechAnswerMs)) delete thread_;
    }

    void say(const QString& text, const QString& language) override
    {
        ensureStarted();
        {
            const QMutexLocker lock(&mutex_);
            if (pending_.size() >= kSpeechWaiting) pending_.pop_front();
            pending_.push_back({text, language, ++lastSent_});
        }
        QMetaObject::invokeMethod(worker_, [w = worker_] { w->speakPending(); });
        if (!watchdog_.isActive()) watchdog_.start(kSpeechAnswerMs);
    }

    QStringList languages(int waitMs) override
    {
        ensureStarted();
        QMutexLocker lock(&mutex_);
        if (!ready_) readyChanged_.wait(&mutex_, static_cast<unsigned long>(waitMs));
        if (!ready_) return {};
        return languages_;
    }

    // --- from the speech thread ---
    struct Request {
        QString text;
        QString language;
        quint64 serial = 0;
    };
    void dropWaiting() override
    {
        const QMutexLocker lock(&mutex_);
        pending_.clear();
    }
    // The service is speaking an earlier text: the next waits for its end, which is no sign
    // of a service that does not answer, up to the longest a text of ours can take.
    void waitingForSpeech()
    {
        QMetaObject::invokeMethod(this, [this] {
            const QMutexLocker lock(&mutex_);
            if (!pending_.empty()) watchdog_.start(kSpeechLongestMs);
        });
    }
    // The speech thread has nothing left to give the service.
    void idle()
    {
        QMetaObject::invokeMethod(this, [this] {
            const QMutexLocker lock(&mutex_);
            if (pending_.empty()) watchdog_.stop();
        });
    }

    Request takePending()
    {
        const QMutexLocker lock(&mutex_);
        if (pending_.empty()) return {};
        Request next = pending_.front();
        pending_.pop_front();
        return next;
    }
    void publishLanguages(const QStringList& languages)
    {
        const QMutexLocker lock(&mutex_);
        languages_ = languages;
        ready_ = true;
        readyChanged_.wakeAll();
    }
    // The service took request serial (or failed it): the watchdog is content once the newest did.
    void taken(quint64 serial)
    {
        QMetaObject::invokeMethod(this, [this, serial] {
            const QMutexLocker lock(&mutex_);
            if (serial >= lastSent_)
                watchdog_.stop();
            else if (watchdog_.isActive())
                watchdog_.start(kSpeechAnswerMs); // it answers: the next texts wait their turn
        });
    }
    void fail(const QString& reason)
    {
        QMetaObject::invokeMethod(this, [this, reason] { report(reason); });
    }

private:
    void ensureStarted()
    {
        if (started_) return;
        started_ = true;
        QMetaObject::invokeMethod(worker_, [w = worker_] { w->start(); });
    }
    void report(const QString& reason)
    {
        if (fault_) fault_(reason);
    }

    SpeechFault fault_;
    QThread* thread_ = nullptr;
    Worker* worker_ = nullptr;
    QTimer watchdog_;
    bool started_ = false;

    QMutex mutex_; // guards what follows, shared with the speech thread
    QWaitCondition readyChanged_;
    std::deque<Request> pending_; // in the order given, the oldest first
    quint64 lastSent_ = 0;
    bool ready_ = false;
    QStringList languages_;
};

void Worker::start()
{
    if (tts_ != nullptr) return;
    tts_ = new QTextToSpeech(QStringLiteral("speechd"), this);
    // The engine may report an error for the default voice of the system's locale and still
    // speak every language it lists; only a service without voices is a fault here.
    QStringList languages;
    for (const QLocale& locale : tts_->availableLocales())
        if (!languages.contains(locale.bcp47Name())) languages << locale.bcp47Name();
    if (languages.isEmpty()) {
        const QString why = tts_->errorString();
        front_.fail(
            why.isEmpty() || tts_->engine().isEmpty()
                ? QStringLiteral("Der Sprachdienst (speech-dispatcher) ist nicht erreichbar.")
                : QStringLiteral("Der Sprachdienst (speech-dispatcher) ist nicht erreichbar: ") +
                      why);
    }
    QObject::connect(tts_, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
        if (state == QTextToSpeech::Speaking || state == QTextToSpeech::Paused) return;
        speaking_ = false;
        speakPending();
    });
    QObject::connect(tts_, &QTextToSpeech::errorOccurred, this,
                     [this](QTextToSpeech::ErrorReason reason, const QString& why) {
                         if (reason == QTextToSpeech::ErrorReason::Input ||
                             reason == QTextToSpeech::ErrorReason::Playback)
                             front_.fail(why);
                     });
    front_.publishLanguages(languages);
}

void Worker::speakPending()
{
    start();
    if (speaking_ || tts_->state() == QTextToSpeech::Speaking) {
        front_.waitingForSpeech();
        return; // on at its end
    }
    const Front::Request request = front_.takePending();
    if (request.serial == 0) {
        front_.idle();
        return;
    }
    if (tts_->availableLocales().isEmpty()) {
        front_.taken(request.serial); // told once by start()
        return;
    }
    const QLocale wanted(request.language);
    QLocale chosen = wanted;
    for (const QLocale& locale : tts_->availableLocales()) {
        if (locale.language() == wanted.language()) {
            chosen = locale;
            break;
        }
    }
    if (tts_->locale() != chosen) tts_->setLocale(chosen);
    speaking_ = true;
    tts_->say(request.text);
    front_.taken(request.serial);
}

} // namespace

extern "C" Q_DECL_EXPORT SpeechEngine* kazCreateSpeechEngine(QObject* owner, SpeechFault fault)
{
    return new Front(owner, std::move(fault));
}
