#include "read_aloud.h"

#include "bmp_button.h"
#include "cp1252.h"
#include "dialog_units.h"
#include "entry_chain.h"
#include "exercise_view.h"
#include "platform.h"
#include "safe_file.h"
#include "spoken_term.h"
#include "tool_tips.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include <QAccessible>
#include <QApplication>
#include <QCryptographicHash>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>

namespace {

// Places in the dialog (dialog units): left of the help and results buttons, right of the
// lists, which leaves every control of the window where it was.
constexpr int kSpeakX = 158, kSpeakY = 116, kOptionY = 136, kButtonW = 20, kButtonH = 18;
constexpr int kSpeakOffFace = 5047, kSpeakOnFace = 5046;
constexpr int kOptionOffFace = 5045, kOptionOnFace = 5044;
// How long the service may take to list its voices (ms): when the learner is to choose from
// them, and before the first word (a service answers in some 50 ms).
constexpr int kAskWaitMs = 2000;
constexpr int kFirstWaitMs = 500;

const QString kSpeakTip =
    QStringLiteral("Vorlesen (Strg+L); Sprachen der Lektion: Strg+Umschalt+L");
const QString kOptionTip =
    QStringLiteral("Fragen vorlesen: jede Frage und nach einem Fehler die Lösung");

// The sample lessons as they come with the trainer, known by their bytes wherever a copy lies
// and whatever its name (SHA-256 of the files, taken when the trainer is built).
struct SampleBytes {
    const char* fileName;
    const char* sha256;
};
constexpr SampleBytes kSampleBytes[] = {
    {"ENGLISCH.LSN", KAZ_SAMPLE_SHA256_ENGLISCH},
    {"FRANZOES.LSN", KAZ_SAMPLE_SHA256_FRANZOES},
    {"LATEIN.LSN", KAZ_SAMPLE_SHA256_LATEIN},
};
constexpr std::size_t kLargestSampleBytes = 64 * 1024;

std::optional<SideLanguages> sampleByContent(const std::string& path)
{
    std::string bytes;
    if (!readFilePrefix(path, kLargestSampleBytes + 1, bytes) || bytes.size() > kLargestSampleBytes)
        return std::nullopt;
    const QByteArray sha =
        QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
            .toHex();
    for (const SampleBytes& s : kSampleBytes)
        if (sha == s.sha256) return sampleLessonLanguages(s.fileName);
    return std::nullopt;
}

QRect duRect(int x, int y, int w, int h)
{
    const PixelRect r = dialogRectToPixels(x, y, w, h);
    return {r.x, r.y, r.width, r.height};
}

} // namespace

ReadAloud::ReadAloud(QWidget& window, EntryChain& chain, ExerciseView& view, QLineEdit* term1,
                     QLineEdit* term2, std::string storeFile)
    : QObject(&window), window_(window), chain_(chain), view_(view), terms_{term1, term2},
      store_(std::move(storeFile))
{
    setObjectName(QStringLiteral("readAloud"));
    store_.load();
    speakButton_ = new myBMPButton(&window, kSpeakOffFace, kSpeakOnFace);
    speakButton_->setObjectName(QStringLiteral("speakButton"));
    speakButton_->setGeometry(duRect(kSpeakX, kSpeakY, kButtonW, kButtonH));
    optionButton_ = new myBMPButton(&window, kOptionOffFace, kOptionOnFace, {.toggles = true});
    optionButton_->setObjectName(QStringLiteral("readAloudOption"));
    optionButton_->setGeometry(duRect(kSpeakX, kOptionY, kButtonW, kButtonH));
    optionButton_->SetOn(store_.readAloud());
    connect(speakButton_, &QAbstractButton::clicked, this, [this] { speakNow(); });
    connect(optionButton_, &QAbstractButton::clicked, this,
            [this] { setQuestionsReadAloud(optionButton_->On()); });

    auto* speakKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), &window);
    connect(speakKey, &QShortcut::activated, this, [this] { speakNow(); });
    auto* languagesKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), &window);
    connect(languagesKey, &QShortcut::activated, this, [this] { chooseLanguages(); });

    for (std::size_t side : {0u, 1u})
        connect(terms_[side], &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (std::size_t side : {0u, 1u})
            if (now == terms_[side]) lastField_ = side;
        refresh();
    });

    // After a fault the notice names the terms itself again: the speech may not be heard.
    view_.termsReadAloud = [this] { return store_.readAloud() && !faultShown_; };
    view_.onStepShown = [this](const std::vector<ExerciseView::SpokenPart>& parts) {
        return sayStep(parts);
    };
    Platform::instance().setSpeechFaultHandler([this](const QString& why) { fault(why); });
}

ReadAloud::~ReadAloud()
{
    Platform::instance().setSpeechFaultHandler({});
    view_.termsReadAloud = {};
    view_.onStepShown = {};
}

void ReadAloud::describe(ToolTips& tips)
{
    tips.addTool(speakButton_, kSpeakTip);
    tips.addTool(optionButton_, kOptionTip);
    speakButton_->setAccessibleName(QStringLiteral("Vorlesen"));
    speakButton_->setAccessibleDescription(kSpeakTip);
    optionButton_->setAccessibleName(QStringLiteral("Fragen vorlesen"));
    optionButton_->setAccessibleDescription(kOptionTip);
}

// --- the lesson's languages -------------------------------------------------------------------

std::string ReadAloud::lessonKey(const std::string& path) const
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::absolute(path, error).lexically_normal().string()
                 : full.string();
}

void ReadAloud::lessonOpened(const std::string& path)
{
    key_ = lessonKey(path);
    path_ = path;
    declined_[0] = declined_[1] = false;
    languages_ = store_.find(key_);
    if (languages_[0].empty() && languages_[1].empty()) {
        if (auto sample = sampleLessonLanguages(path))
            languages_ = *sample;
        else if (auto byContent = sampleByContent(path))
            languages_ = *byContent;
    }
    refresh();
}

void ReadAloud::tableRead(const std::string& path)
{
    lessonOpened(path);
    if (languages_[0].empty()) languages_[0] = "de"; // a new lesson, like one typed in
}

void ReadAloud::lessonSavedAs(const std::string& path)
{
    key_ = lessonKey(path);
    path_ = path;
    keep();
}

void ReadAloud::lessonClosed()
{
    key_.clear();
    path_.clear();
    languages_ = {"de", ""};
    declined_[0] = declined_[1] = false;
    refresh();
}

void ReadAloud::keep()
{
    if (!key_.empty() && store_.keep(key_, languages_)) store_.save();
}

const QStringList& ReadAloud::serviceLanguages(int waitMs)
{
    if (!voicesKnown_) {
        voices_ = Platform::instance().speechLanguages(waitMs);
        voicesKnown_ = !voices_.isEmpty();
    }
    return voices_;
}

bool ReadAloud::askLanguage(std::size_t side)
{
    QStringList codes, names;
    const QStringList& voices = serviceLanguages(kAskWaitMs);
    for (const LessonLanguage& l : lessonLanguages()) {
        const bool voiced = std::any_of(voices.begin(), voices.end(), [&l](const QString& v) {
            return languageCode(v.toStdString()) == l.code;
        });
        if (!voiced) continue;
        codes << QString::fromLatin1(l.code);
        names << QString::fromUtf8(l.name);
    }
    if (codes.isEmpty()) {
        if (!voices.isEmpty())
            fault(QStringLiteral(
                "Der Sprachdienst hat keine Stimme für die Sprachen einer Lektion."));
        else
            fault(QStringLiteral("Der Sprachdienst bietet keine Stimme an."));
        return false;
    }
    std::vector<std::string> sideTerms;
    for (strWort* e = chain_.firstEntry(); e != nullptr && sideTerms.size() < 200; e = e->next)
        sideTerms.push_back(side == 0 ? e->term1 : e->term2);
    const std::string current = languages_[side];
    const std::string guess = current.empty() ? guessLanguage(side, path_, sideTerms) : current;
    const int preselected =
        std::max(0, static_cast<int>(codes.indexOf(QString::fromStdString(guess))));
    const int chosen = Platform::instance().chooseItem(
        &window_, QStringLiteral("Vorlesen"),
        QStringLiteral("In welcher Sprache sind die %1. Begriffe dieser Lektion?").arg(side + 1),
        names, preselected);
    if (chosen < 0 || chosen >= codes.size()) {
        declined_[side] = true;
        return false;
    }
    languages_[side] = codes[chosen].toStdString();
    declined_[side] = false;
    keep();
    return true;
}

std::string ReadAloud::languageFor(std::size_t side)
{
    if (languages_[side].empty() && !declined_[side]) askLanguage(side);
    return languages_[side];
}

void ReadAloud::chooseLanguages()
{
    for (std::size_t side : {0u, 1u})
        if (!askLanguage(side)) break;
}

// --- speaking --------------------------------------------------------------------------------

void ReadAloud::say(const std::string& term, std::size_t side)
{
    if (term.empty()) return;
    const std::string language = languageFor(side);
    if (language.empty()) return;
    // The first time the service may take a moment to list its voices; a service that does not
    // answer then is told by the speech itself, and the drill does not wait for it again.
    serviceLanguages(voicesAsked_ ? 0 : kFirstWaitMs);
    voicesAsked_ = true;
    if (voicesKnown_) {
        const bool voiced =
            std::any_of(voices_.begin(), voices_.end(), [&language](const QString& v) {
                return languageCode(v.toStdString()) == language;
            });
        if (!voiced) {
            fault(QStringLiteral("Für %1 hat der Sprachdienst keine Stimme.")
                      .arg(QString::fromUtf8(languageName(language))));
            return;
        }
    }
    Platform::instance().speak(fromCp1252(term), QString::fromStdString(language));
}

bool ReadAloud::sayStep(const std::vector<ExerciseView::SpokenPart>& parts)
{
    if (!store_.readAloud()) return false;
    Platform::instance().dropWaitingSpeech(); // the step before, if still waiting, is stale
    const bool whole = screenReaderListening ? screenReaderListening() : QAccessible::isActive();
    // With a screen reader the whole step goes out here, one text after the other: the German
    // parts joined up to each term, each term in its side's language.
    QString german;
    const auto sayGerman = [&german] {
        if (!german.isEmpty())
            Platform::instance().speak(std::exchange(german, {}), QStringLiteral("de"));
    };
    for (const ExerciseView::SpokenPart& part : parts) {
        if (part.term.empty()) {
            if (whole) german += (german.isEmpty() ? QString() : QStringLiteral(" ")) + part.text;
            continue;
        }
        sayGerman();
        say(part.term, part.side);
    }
    sayGerman();
    return whole;
}

void ReadAloud::speakNow()
{
    SpokenTermState state;
    state.exercising = view_.run().running();
    state.correctionShown = view_.feedbackRunning();
    state.current = chain_.currentEntry;
    state.lastField = lastField_;
    for (std::size_t side : {0u, 1u})
        state.fieldTexts[side] = toCp1252(terms_[side]->text());
    const SpokenTerm term = spokenTerm(state);
    Platform::instance().dropWaitingSpeech(); // an earlier press not yet heard is stale
    say(term.text, term.side);
}

void ReadAloud::setQuestionsReadAloud(bool on)
{
    optionButton_->SetOn(on);
    if (store_.readAloud() == on) return;
    store_.setReadAloud(on);
    store_.save();
}

void ReadAloud::refresh()
{
    SpokenTermState state;
    state.exercising = view_.run().running();
    state.current = chain_.currentEntry;
    state.lastField = lastField_;
    for (std::size_t side : {0u, 1u})
        state.fieldTexts[side] = toCp1252(terms_[side]->text());
    speakButton_->setVisible(!spokenTerm(state).text.empty());
    optionButton_->setVisible(true);
}

void ReadAloud::fault(const QString& reason)
{
    if (faultShown_) return;
    faultShown_ = true;
    // From the event loop: the step that spoke goes on first, and nothing waits on the notice.
    QTimer::singleShot(0, this, [this, reason] {
        Platform::instance().messageBox(
            &window_, QStringLiteral("Vorlesen ist nicht möglich: ") + reason,
            QStringLiteral("Vorlesen"), Platform::Buttons::Ok, Platform::Icon::Exclamation);
    });
}
