// The main window with large lessons: loading a lesson file or importing a table into the
// window (file, chain, both lists filled and shown), closing it (the run-down), and one answer in
// an exercise (Enter to the next question shown). Offscreen; the numbers are wall-clock time.
#include "config.h"
#include "entry_chain.h"
#include "fake_platform.h"
#include "record_session.h"
#include "record_terms.h"
#include "lesson_file.h"
#include "paper_lesson.h"
#include "rudarud_app.h"
#include "rudarud_dia.h"
#include "temp_dir.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

std::string lessonFile(const TempDir& dir, int entries)
{
    const std::string path = dir.file("lesson" + std::to_string(entries) + ".lsn");
    EntryChain chain;
    for (int i = 0; i < entries; ++i) // shuffled first terms, so the lists really sort
        chain.append("Begriff " + std::to_string((i * 7919) % entries),
                     "term " + std::to_string(i));
    writeLessonFile(path, chain);
    return path;
}

struct Window {
    TempDir dir;
    FakePlatform platform;
    Config config{dir.file("DODADIZE.CFG")};
    MainFrame frame{config};
    RudarudDia* dia = frame.dialog();
    Window()
    {
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        frame.show();
        QApplication::processEvents();
    }
    void load(const std::string& path)
    {
        dia->loadLessonFile(path);
        QApplication::processEvents(); // the lists paint their first rows
    }
};

// Times `bring` (a lesson into a fresh window, whose making and closing are not timed; closing
// is measured below) until the lists painted their first rows. It must leave state.range(0)
// entries and `messages` message boxes.
template <typename Bring>
void bringIntoWindow(benchmark::State& state, std::size_t messages, Bring bring)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        state.ResumeTiming();
        bring(*w->dia);
        QApplication::processEvents(); // the lists paint their first rows
        state.PauseTiming();
        if (w->dia->document().chain().entryCount() != state.range(0) ||
            w->platform.messages.size() != messages)
            state.SkipWithError("not taken into the window");
        w.reset();
        state.ResumeTiming();
    }
}

void BM_LoadLessonIntoWindow(benchmark::State& state)
{
    TempDir files;
    const std::string path = lessonFile(files, static_cast<int>(state.range(0)));
    bringIntoWindow(state, 0, [&path](RudarudDia& dia) { dia.loadLessonFile(path); });
}
BENCHMARK(BM_LoadLessonIntoWindow)
    ->Arg(1000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same word list as a semicolon table, as a spreadsheet program saves it (about 2.6 MB
// for 100,000 rows).
std::string tableFile(const TempDir& dir, int rows)
{
    const std::string path = dir.file("table" + std::to_string(rows) + ".csv");
    std::string csv = "sep=;\r\n";
    for (int i = 0; i < rows; ++i)
        csv +=
            "Begriff " + std::to_string((i * 7919) % rows) + ";term " + std::to_string(i) + "\r\n";
    std::ofstream(path, std::ios::binary) << csv;
    return path;
}

void BM_ImportTableIntoWindow(benchmark::State& state)
{
    TempDir files;
    const std::string path = tableFile(files, static_cast<int>(state.range(0)));
    bringIntoWindow(state, 1, [&path](RudarudDia& dia) { dia.importTableFile(path); });
}
BENCHMARK(BM_ImportTableIntoWindow)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same word list as KVTML 2, as KDE's trainers write it (about 3.6 MB for 20,000 entries),
// the entries in one lesson in reverse order.
std::string kvtmlFile(const TempDir& dir, int entries)
{
    const std::string path = dir.file("words" + std::to_string(entries) + ".kvtml");
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml PUBLIC "
                      "\"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n<kvtml "
                      "version=\"2.0\">\n<identifiers><identifier id=\"0\"><locale>de</locale>"
                      "</identifier><identifier id=\"1\"><locale>en</locale></identifier>"
                      "</identifiers>\n<entries>\n";
    for (int i = 0; i < entries; ++i)
        xml += "  <entry id=\"" + std::to_string(i) +
               "\">\n    <inactive>false</inactive>\n    <translation id=\"0\">\n      "
               "<text>Begriff " +
               std::to_string((i * 7919) % entries) +
               "</text>\n    </translation>\n    <translation id=\"1\">\n      <text>term " +
               std::to_string(i) + "</text>\n    </translation>\n  </entry>\n";
    xml += "</entries>\n<lessons><container><name>Alle</name>";
    for (int i = entries; i-- > 0;)
        xml += "<entry id=\"" + std::to_string(i) + "\"/>";
    xml += "</container></lessons>\n</kvtml>\n";
    std::ofstream(path, std::ios::binary) << xml;
    return path;
}

void BM_ImportKvtmlIntoWindow(benchmark::State& state)
{
    TempDir files;
    const std::string path = kvtmlFile(files, static_cast<int>(state.range(0)));
    bringIntoWindow(state, 1, [&path](RudarudDia& dia) { dia.importForeignFile(path); });
}
BENCHMARK(BM_ImportKvtmlIntoWindow)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A word list of 2,000 entries as PDF, laid out, drawn and written to disk.
void BM_WriteWordListPdf(benchmark::State& state)
{
    TempDir files;
    EntryChain chain;
    for (int i = 0; i < state.range(0); ++i)
        chain.append("W\xF6rter " + std::to_string((i * 7919) % state.range(0)),
                     "\xC4rger " + std::to_string(i));
    const std::string path = files.file("liste.pdf");
    for (auto _ : state) {
        if (!writeLessonPdf(path, chain, PaperKind::WordList, {QStringLiteral("Liste"), {}}))
            state.SkipWithError("not written");
    }
}
BENCHMARK(BM_WriteWordListPdf)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CloseLesson(benchmark::State& state)
{
    Window w;
    const std::string path = lessonFile(w.dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.load(path);
        state.ResumeTiming();
        w.dia->closeLesson();
    }
}
BENCHMARK(BM_CloseLesson)
    ->Arg(30)
    ->Arg(1000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Every answer also goes into the learning record, one flushed transaction: the record lies in
// the window's temporary working folder and is opened before the drill, as the trainer opens it
// after its first frame.
void BM_AnswerLatency(benchmark::State& state)
{
    Window w;
    w.load(lessonFile(w.dir, static_cast<int>(state.range(0))));
    w.dia->recordSession().open();
    w.dia->command(IdNormalQuery);
    auto* answer = qobject_cast<QLineEdit*>(w.dia->control(IdTerm2));
    for (auto _ : state) {
        state.PauseTiming();
        const strWort* e = w.dia->document().chain().currentEntry;
        answer->setText(QString::fromLatin1(e->term2.c_str()));
        state.ResumeTiming();
        QTest::keyClick(answer, Qt::Key_Return);
        QApplication::processEvents(); // the next question is painted
    }
    // A record fault would show a notice and keep the answers in memory: not what is measured.
    const std::vector<TermPair> terms = lessonTerms(w.dia->document().chain());
    LearningRecord& record = w.dia->recordSession().record();
    if (!std::filesystem::exists(w.dir.file(kLearningRecordFileName)) ||
        !w.platform.messages.empty() || record.pendingAnswers() != 0 ||
        record.dueCount(terms, RecordSession::now()) !=
            2 * terms.size() - static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("answers not recorded");
}
BENCHMARK(BM_AnswerLatency)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(2000);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
