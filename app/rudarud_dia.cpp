#include "rudarud_dia.h"

#include "answer_recorder.h"
#include "bmp_button.h"
#include "control_accessibles.h"
#include "cp1252.h"
#include "cp1252_validator.h"
#include "dialog_units.h"
#include "double_click_filter.h"
#include "due_drill.h"
#include "led_line.h"
#include "led_window.h"
#include "log_font.h"
#include "no_inset_style.h"
#include "platform.h"
#include "progress_chart.h"
#include "read_aloud.h"
#include "record_session.h"
#include "record_terms.h"
#include "text_3d.h"
#include "threshold_text.h"
#include "tool_tips.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>

namespace {

constexpr int kDialogWidthDu = 318;
constexpr int kDialogHeightDu = 180;

// Picture buttons in creation order: id, off face, on face, x, y, w, h (dialog units).
struct ButtonSpec {
    int id;
    int offFace;
    int onFace;
    int x, y, w, h;
};
constexpr ButtonSpec kCommandButtons[] = {
    {IdPageForward, 5003, 5002, 294, 96, 14, 14},  {IdPageBack, 5001, 5000, 279, 96, 14, 14},
    {IdNewLesson, 5005, 5004, 8, 5, 58, 18},       {IdLoad, 5007, 5006, 8, 5, 58, 18},
    {IdSave, 5009, 5008, 68, 5, 20, 18},           {IdNormalQuery, 5017, 5016, 162, 4, 45, 20},
    {IdReversedQuery, 5015, 5014, 212, 4, 45, 20}, {IdMixedQuery, 5013, 5012, 262, 4, 45, 20},
    {IdAbort, 5011, 5010, 8, 4, 50, 20},           {IdHelp, 5035, 5034, 185, 116, 20, 18},
    {IdResultsLog, 5039, 5038, 185, 136, 20, 18},  {IdDueQuery, 5041, 5040, 112, 4, 45, 20},
};
struct OptionSpec {
    int id;
    int y;
    const char* label;
};
constexpr OptionSpec kOptionButtons[] = {
    {IdIgnoreCase, 115, "ab = AB"},
    {IdIgnorePunctuation, 135, "a, b = a b"},
    {IdAnyOrder, 155, "a, b = b, a"},
};
static_assert(std::size(kOptionButtons) == kOptionCount);
constexpr int kOptionX = 236, kOptionW = 45, kOptionH = 20;
constexpr QPoint kOptionSamplePoint{15, 15};
constexpr int kThresholdIds[kThresholdCount] = {IdThreshold1, IdThreshold2, IdThreshold3,
                                                IdThreshold4, IdThreshold5};
constexpr int kOptionOffFace = 5037, kOptionOnFace = 5036;

// The fields, lists and status line: id, x, y, w, h (dialog units).
struct ControlPlace {
    int id;
    int x, y, w, h;
};
constexpr ControlPlace kControlPlaces[] = {
    {IdTerm1, 8, 33, 300, 22},       {IdTerm2, 8, 69, 300, 21},
    {IdStatus, 8, 100, 136, 9},      {IdList1, 4, 121, 76, 61},
    {IdList2, 79, 121, 70, 61},      {IdThreshold1, 285, 118, 19, 9},
    {IdThreshold2, 285, 129, 19, 9}, {IdThreshold3, 285, 140, 19, 9},
    {IdThreshold4, 285, 151, 19, 9}, {IdThreshold5, 285, 162, 19, 9},
};

// What assistive technology calls each control: what it is or does, in the user's language.
// Buttons and fields describe themselves further with their tooltip text.
struct AccessibleName {
    int id;
    const char16_t* name;
};
constexpr AccessibleName kAccessibleNames[] = {
    {IdLoad, u"Lektion laden"},
    {IdNewLesson, u"Neue Lektion"},
    {IdSave, u"Speichern"},
    {IdNormalQuery, u"Normale Abfrage"},
    {IdReversedQuery, u"Umgekehrte Abfrage"},
    {IdMixedQuery, u"Gemischte Abfrage"},
    {IdAbort, u"Übung abbrechen"},
    {IdPageBack, u"Zurückblättern"},
    {IdPageForward, u"Vorwärtsblättern"},
    {IdHelp, u"Informationen + Hilfe"},
    {IdResultsLog, u"Prüfungsergebnisse"},
    {IdLearningChart, u"Lernstand-Grafik"},
    {IdIgnoreCase, u"ab = AB"},
    {IdIgnorePunctuation, u"a, b = a b"},
    {IdAnyOrder, u"a, b = b, a"},
    {IdTerm1, u"1. Begriff"},
    {IdTerm2, u"2. Begriff"},
    {IdThreshold1, u"Note 1 ab Prozent"},
    {IdThreshold2, u"Note 2 ab Prozent"},
    {IdThreshold3, u"Note 3 ab Prozent"},
    {IdThreshold4, u"Note 4 ab Prozent"},
    {IdThreshold5, u"Note 5 ab Prozent"},
    {IdList1, u"1. Begriffe"},
    {IdList2, u"2. Begriffe"},
};

// The progress picture's button, beside the results button (after it in the tab order): its
// place and faces, its tooltip and description.
constexpr ButtonSpec kLearningChartButton{IdLearningChart, 5043, 5042, 208, 136, 20, 18};
constexpr const char16_t* kLearningChartTip =
    u"Lernstand-Grafik: Fächer der Lektion und letzte Noten";

// Display controls, pixel places in the client.
constexpr QPoint kEntryLinePos{17, 240};
constexpr unsigned kEntryLineCells = 27;
constexpr QPoint kLabelPos{620, 345};
constexpr int kLedCellBitmap = 5033;

constexpr int kBigFontHeight = 36;    // px cell height
constexpr int kMediumFontHeight = 16; // px cell height
constexpr int kVerticalFontHeight = 12;
constexpr int kVerticalFontWidth = 6;
constexpr int kFixedFontAdvance = 8; // px per character of the list boxes' font

QRect duRect(int x, int y, int w, int h)
{
    const PixelRect r = dialogRectToPixels(x, y, w, h);
    return {r.x, r.y, r.width, r.height};
}

// The pixel place of a field, list or the status line.
QRect placeOf(int id)
{
    for (const ControlPlace& p : kControlPlaces)
        if (p.id == id) return duRect(p.x, p.y, p.w, p.h);
    return {};
}

// The list boxes' fixed-pitch font: Liberation Mono at the pixel size whose advance is 8 px.
QFont fixedPitchFont()
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::TypeWriter);
    constexpr int kSmallest = 10, kLargest = 16;
    auto errorAt = [&font](int px) {
        font.setPixelSize(px);
        return std::abs(QFontMetrics(font).horizontalAdvance(QLatin1Char('M')) - kFixedFontAdvance);
    };
    // The smallest size with the least error. The advance grows with the size, so the error
    // falls to its least and rises again: from a first guess (fixed-pitch letters are about
    // 0.6 em wide) only the sizes up to the least need measuring, each one loading a font.
    constexpr int kGuess = 13;
    const int guessError = errorAt(kGuess);
    int best = kGuess, bestError = guessError;
    for (int px = kGuess - 1; px >= kSmallest; --px) {
        const int error = errorAt(px);
        if (error > bestError) break;
        best = px;
        bestError = error;
    }
    for (int px = kGuess + 1, error = guessError;
         px <= kLargest && bestError > 0 && error <= bestError; ++px) {
        error = errorAt(px);
        if (error < bestError) {
            best = px;
            bestError = error;
        }
    }
    font.setPixelSize(best);
    return font;
}

void setTextColours(QWidget* w, const QColor& text, const QColor& background)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Window, background);
    w->setPalette(p);
}

} // namespace

struct RudarudDia::Fonts {
    QFont big = logFont(QStringLiteral("Arial"), kBigFontHeight);
    QFont medium = logFont(QStringLiteral("Arial"), kMediumFontHeight);
    QFont fixed = fixedPitchFont();
    QFont vertical = logFont(QStringLiteral("Arial"), kVerticalFontHeight, kVerticalFontWidth);
};

RudarudDia::RudarudDia(Config& config, QWidget* parent) : QWidget(parent), settings_(config)
{
    setObjectName(QStringLiteral("RudarudDia"));
    // Before any field exists: an interface Qt makes for a field, once made, is kept.
    installControlAccessibles();
    setFixedSize(dialogUnitsToPixelsX(kDialogWidthDu), dialogUnitsToPixelsY(kDialogHeightDu));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(11);
    setFont(dialogFont);

    createControls(Fonts{});
    setTextColours(status_, QColor(toQRgb(kYellow)), QColor(toQRgb(kBlack)));
    setTextColours(term1_, QColor(toQRgb(kGreen)), QColor(toQRgb(kBlack)));
    setTextColours(term2_, exerciseView_->answerColour(), QColor(toQRgb(kBlack)));

    auto* doubleClicks = new DoubleClickAsPress(this);
    for (QWidget* w : {static_cast<QWidget*>(term1_), static_cast<QWidget*>(term2_),
                       lists_.view(0)->viewport(), lists_.view(1)->viewport()})
        w->installEventFilter(doubleClicks);
    for (QLineEdit* t : settings_.thresholdFields())
        t->installEventFilter(doubleClicks);
    qApp->installEventFilter(this);

    lists_.add(nullptr);
    toolTips_ = new ToolTips(this);
    toolTips_->setObjectName(QStringLiteral("toolTips"));
    toolTips_->addTools([this](int id) { return control(id); });
    toolTips_->addTool(button(IdLearningChart), QString::fromUtf16(kLearningChartTip));
    // What assistive technology hears of each control.
    for (const AccessibleName& n : kAccessibleNames) {
        QWidget* w = control(n.id);
        w->setAccessibleName(QString::fromUtf16(n.name));
        w->setAccessibleDescription(toolTips_->text(w));
    }
    readAloud_->describe(*toolTips_);
    status_->setAccessibleDescription(QStringLiteral("Status"));
    entryLine_->setAccessibleDescription(QStringLiteral("Aufgaben"));
    updateStatus();
    entryLine_->Reset(kLedOff);
    entryLine_->StartRunning();
    // The keyboard starts where a new lesson is typed, as it does after loading one.
    term1_->setFocus();
}

RudarudDia::~RudarudDia()
{
    qApp->removeEventFilter(this);
    delete readAloud_; // it unhooks itself from the exercise view, so it goes first
    readAloud_ = nullptr;
    exerciseView_.reset();
    lists_.clear(); // its rows are the entries
    while (!doc_.chain().empty())
        doc_.chain().deleteLast();
    delete label_;
    delete entryLine_;
    // The settings' transfer buffer hands the threshold texts back to the record as it goes.
}

// The controls in creation order: the fields, lists and status line in the order of the
// transfer buffer, then the buttons and the displays.
void RudarudDia::createControls(const Fonts& fonts)
{
    const std::array<QLineEdit*, kThresholdCount> thresholds = createFields(fonts);
    lists_.makeViews(this, fonts.fixed, [this](QListView* l) { rowPicked(l); });
    for (int column : {0, 1}) {
        const int id = column == 0 ? IdList1 : IdList2;
        lists_.view(column)->setObjectName(QStringLiteral("list%1").arg(id));
        lists_.view(column)->setGeometry(placeOf(id));
    }
    status_ = new QLabel(this);
    presentAsStatusLine(status_); // before anything makes its interface
    status_->setObjectName(QStringLiteral("status%1").arg(IdStatus));
    status_->setGeometry(placeOf(IdStatus));
    status_->setAlignment(Qt::AlignCenter);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setFont(fonts.medium);
    status_->setAutoFillBackground(true);

    settings_.attach(createButtons(), thresholds);
    createDisplays(fonts);

    // Tab order of the dialog template.
    const int tabOrder[] = {IdResultsLog,    IdSave,
                            IdNewLesson,     IdNormalQuery,
                            IdReversedQuery, IdMixedQuery,
                            IdAbort,         IdLoad,
                            IdTerm1,         IdTerm2,
                            IdThreshold1,    IdThreshold2,
                            IdThreshold3,    IdThreshold4,
                            IdThreshold5,    IdList1,
                            IdList2,         IdPageBack,
                            IdPageForward,   IdHelp,
                            IdIgnoreCase,    IdIgnorePunctuation,
                            IdAnyOrder};
    QWidget* previous = nullptr;
    for (int id : tabOrder) {
        QWidget* w = control(id);
        if (previous && w) setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(control(IdResultsLog), control(IdLearningChart));
}

std::array<QLineEdit*, kThresholdCount> RudarudDia::createFields(const Fonts& fonts)
{
    auto makeTerm = [this, &fonts](int id) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("field%1").arg(id));
        e->setGeometry(placeOf(id));
        e->setFont(fonts.big);
        e->setFrame(true);
        guardCp1252Input(e, static_cast<int>(kMaxTermBytes));
        quietSelectionOnFocusChange(e);
        return e;
    };
    term1_ = makeTerm(IdTerm1);
    term2_ = makeTerm(IdTerm2);
    auto* noInset = new NoInsetLineEditStyle; // the fields are too low for a style's inset
    noInset->setParent(this);
    std::array<QLineEdit*, kThresholdCount> thresholds{};
    for (std::size_t i = 0; i < kThresholdCount; ++i) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("field%1").arg(kThresholdIds[i]));
        e->setGeometry(placeOf(kThresholdIds[i]));
        e->setAlignment(Qt::AlignCenter);
        e->setMaxLength(static_cast<int>(kThresholdTextChars));
        e->setFont(fonts.medium);
        e->setTextMargins(0, 0, 0, 0);
        e->setStyle(noInset);
        guardCp1252Input(e, static_cast<int>(kThresholdTextChars));
        quietSelectionOnFocusChange(e);
        thresholds[i] = e;
    }
    return thresholds;
}

std::array<myBMPButton*, kOptionCount> RudarudDia::createButtons()
{
    const auto makeCommandButton = [this](const ButtonSpec& b) {
        auto* button = new myBMPButton(this, b.offFace, b.onFace);
        button->setGeometry(duRect(b.x, b.y, b.w, b.h));
        buttons_[b.id] = button;
        connect(button, &QAbstractButton::clicked, this, [this, id = b.id] { command(id); });
    };
    for (const ButtonSpec& b : kCommandButtons)
        makeCommandButton(b);
    makeCommandButton(kLearningChartButton);
    const std::array<bool, kOptionCount> on = settings_.optionsOn();
    std::array<myBMPButton*, kOptionCount> options{};
    for (std::size_t i = 0; i < std::size(kOptionButtons); ++i) {
        const OptionSpec& o = kOptionButtons[i];
        auto* button = new myBMPButton(this, kOptionOffFace, kOptionOnFace,
                                       {.toggles = true,
                                        .samplePoint = kOptionSamplePoint,
                                        .label = QString::fromLatin1(o.label)});
        button->setGeometry(duRect(kOptionX, o.y, kOptionW, kOptionH));
        button->SetOn(on[i]);
        buttons_[o.id] = button;
        options[i] = button;
        // The button itself refuses to switch while locked; during an exercise the user is told.
        connect(button, &QAbstractButton::clicked, this,
                [this] { exercise().optionChangeAllowed(); });
        connect(button, &QAbstractButton::pressed, this, [this, button, i] {
            if (!button->Locked()) settings_.optionPressed(i);
        });
    }
    return options;
}

void RudarudDia::createDisplays(const Fonts& fonts)
{
    entryLine_ = new myLEDLine(this, kEntryLinePos.x(), kEntryLinePos.y(), kLedCellBitmap,
                               kEntryLineCells, {.framed = true});
    entryLine_->setObjectName(QStringLiteral("entryLine"));
    ExerciseControls exerciseControls{.question = term1_,
                                      .answer = term2_,
                                      .thresholds = settings_.thresholdFields(),
                                      .entryLine = entryLine_,
                                      .status = status_};
    for (std::size_t i = 0; i < std::size(kOptionButtons); ++i)
        exerciseControls.options[i] = buttons_[kOptionButtons[i].id];
    exerciseView_ = std::make_unique<ExerciseView>(
        *this, *this, doc_.chain(), exerciseControls,
        ExerciseFonts{.notice = fonts.big, .report = fonts.medium, .table = fonts.fixed});
    recordSession_ = new RecordSession(*this);
    answerRecorder_ = std::make_unique<AnswerRecorder>(*recordSession_, doc_);
    exercise().setAnswerObserver([this](const AnswerEvent& event) {
        answerRecorder_->answered(event, event.firstAsking && exercise().asked() == 1);
    });
    dueDrill_ = new DueDrill(*this, *recordSession_, doc_.chain(), exercise());
    connect(dueDrill_, &DueDrill::lessonChosen, this, &RudarudDia::startDueLesson);
    readAloud_ = new ReadAloud(*this, doc_.chain(), *exerciseView_, term1_, term2_);
    buttons_[IdSpeak] = readAloud_->speakButton();
    buttons_[IdReadAloud] = readAloud_->optionButton();
    label_ = new my3DText(this, kLabelPos.x(), kLabelPos.y(), QString::fromLatin1(kProgramCaption),
                          fonts.vertical, {.vertical = true, .transparent = true});
}

QWidget* RudarudDia::control(int id) const
{
    if (QWidget* w = button(id)) return w;
    if (id == IdTerm1) return term1_;
    if (id == IdTerm2) return term2_;
    if (id == IdList1 || id == IdList2) return lists_.view(id == IdList1 ? 0 : 1);
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        if (kThresholdIds[i] == id) return settings_.thresholdFields()[i];
    return nullptr;
}

myBMPButton* RudarudDia::button(int id) const
{
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

std::string fieldText(const QLineEdit* field)
{
    return toCp1252(field->text());
}

// --- commands -------------------------------------------------------------------------------

void RudarudDia::command(int id)
{
    switch (id) {
    case IdOk:
        if (exercise().running())
            exercise().checkAnswer(fieldText(term2_));
        else
            applyEdit();
        break;
    case IdCancel:
        if (closeQuery()) emit closeRequested();
        break;
    case IdPageBack:
        pageBack();
        break;
    case IdPageForward:
        pageForward();
        break;
    case IdNewLesson:
        closeLesson();
        break;
    case IdLoad:
        loadLesson();
        break;
    case IdSave:
        saveLesson();
        break;
    case IdNormalQuery:
        startExerciseCommand(QueryMode::ModeNormal);
        break;
    case IdReversedQuery:
        startExerciseCommand(QueryMode::ModeReversed);
        break;
    case IdMixedQuery:
        startExerciseCommand(QueryMode::ModeMixed);
        break;
    case IdAbort:
        exercise().endExercise(true);
        break;
    case IdHelp:
        Platform::instance().winHelp(QString::fromLatin1(kHelpFile),
                                     Platform::HelpCommand::ForceFile, 0);
        break;
    case IdResultsLog:
        exerciseView_->showResultsLog();
        break;
    case IdDueQuery:
        if (applyEdit()) dueDrill_->start(Platform::instance().calendarTime());
        break;
    case IdLearningChart:
        showProgressChart();
        break;
    default:
        break;
    }
}

void RudarudDia::startExerciseCommand(QueryMode mode)
{
    if (!applyEdit()) return;
    exercise().startExercise(mode, Platform::instance().calendarTime());
}

void RudarudDia::startDueLesson(const std::string& path)
{
    if (!closeLesson()) return;
    loadLessonFile(path);
    if (doc_.path() == path && !doc_.chain().empty())
        dueDrill_->start(Platform::instance().calendarTime());
}

QWidget* RudarudDia::showProgressChart()
{
    return ::showProgressChart(*this,
                               recordSession_->record().boxCounts(lessonTerms(doc_.chain())));
}

// --- keys -----------------------------------------------------------------------------------

bool RudarudDia::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || (w != this && !isAncestorOf(w)) || !isEnabled()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (exercise().running()) {
            exercise().stopFeedback();
            term2_->setFocus();
        } else {
            if (watched == term1_) {
                term2_->setFocus(); // Enter in the first field moves on, nothing is applied
                return true;
            }
            term1_->setFocus();
        }
        command(IdOk);
        return true;
    case Qt::Key_Up:
        if (!exercise().running()) pageBack();
        return true;
    case Qt::Key_Down:
        if (!exercise().running()) pageForward();
        return true;
    case Qt::Key_Escape:
        command(IdCancel);
        return true;
    default:
        return false;
    }
}
