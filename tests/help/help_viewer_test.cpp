#include "fifo_guard.h"
#include "help_resource.h"
#include "help_style.h"
#include "help_viewer.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include <QAction>
#include <QImage>
#include <QPixmap>
#include <QListWidget>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

namespace fs = std::filesystem;

namespace {

const char* const kHelp = R"(KAZ-HILFE 1
@title Testhilfe
@contents 1
@topic 1 Inhalt
<p><a href="topic:20">Zum Thema zwanzig</a></p>
@topic 20 Zwanzig
<p>Text zwanzig</p>
@topic 259 Abschied
<p>Tschüs</p>
)";

class Viewer : public ::testing::Test {
protected:
    void SetUp() override { write(kHelp); }
    void write(const std::string& text)
    {
        std::ofstream(tmp_.path() / "DODADIZE.HLP", std::ios::binary) << text;
    }
    std::string text() const { return viewer_.browser()->toPlainText().toStdString(); }
    void start(HelpAction action, TopicNumber topic = 0, const std::string& file = "DODADIZE.HLP")
    {
        viewer_.start(HelpRequest{action, topic, file});
    }

    TempDir tmp_;
    // The program folder holds no help file, so only the working folder counts.
    HelpViewer viewer_{tmp_.path(), tmp_.path() / "bin"};
};

struct StartCase {
    const char* name;
    HelpAction action;
    TopicNumber topic;
    TopicNumber shown;
    const char* textPart;
    const char* statusPart;
};

TEST_F(Viewer, StartShowsWhatTheCommandAsks)
{
    const StartCase cases[] = {
        {"force_file_shows_contents", HelpAction::ForceFile, 259, 1, "Zum Thema zwanzig", ""},
        {"context_shows_topic", HelpAction::Context, 259, 259, "Tschüs", ""},
        {"context_zero_is_a_missing_topic", HelpAction::Context, 0, 1, "Zum Thema zwanzig", "0"},
        {"missing_topic_shows_contents", HelpAction::Context, 999, 1, "Zum Thema zwanzig",
         "Thema 999 gibt es"},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        viewer_.statusBar()->clearMessage();
        start(c.action, c.topic);
        ASSERT_EQ(viewer_.loaded().status, LoadedHelp::Status::Ok);
        EXPECT_EQ(viewer_.currentTopic(), c.shown);
        EXPECT_NE(text().find(c.textPart), std::string::npos) << text();
        EXPECT_NE(viewer_.statusBar()->currentMessage().toStdString().find(c.statusPart),
                  std::string::npos);
        EXPECT_EQ(viewer_.topicList()->count(), 3);
        EXPECT_EQ(viewer_.topicList()->currentItem()->data(Qt::UserRole).toUInt(), c.shown);
    }
}

TEST_F(Viewer, TitleNamesFileTitleAndTopic)
{
    start(HelpAction::Context, 20);
    EXPECT_EQ(viewer_.windowTitle(), QStringLiteral("Testhilfe: Zwanzig"));
    EXPECT_NE(text().find("Zwanzig"), std::string::npos) << "topic title as heading";
}

TEST_F(Viewer, LinksListAndHistoryNavigate)
{
    start(HelpAction::ForceFile);
    EXPECT_FALSE(viewer_.backAction()->isEnabled());

    emit viewer_.browser()->anchorClicked(QUrl(QStringLiteral("topic:20")));
    EXPECT_EQ(viewer_.currentTopic(), 20u);
    EXPECT_TRUE(viewer_.backAction()->isEnabled());

    viewer_.topicList()->setCurrentRow(2);
    EXPECT_EQ(viewer_.currentTopic(), 259u);

    viewer_.backAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 20u);
    EXPECT_EQ(viewer_.topicList()->currentRow(), 1) << "the list follows the history";
    viewer_.backAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 1u);
    EXPECT_FALSE(viewer_.backAction()->isEnabled());
    EXPECT_TRUE(viewer_.forwardAction()->isEnabled());
    viewer_.forwardAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 20u);

    viewer_.contentsAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 1u);
    EXPECT_FALSE(viewer_.forwardAction()->isEnabled()) << "a new visit drops what lay ahead";

    emit viewer_.browser()->anchorClicked(QUrl(QStringLiteral("ftp://example.invalid/")));
    EXPECT_EQ(viewer_.currentTopic(), 1u) << "other links leave the help where it is";
}

// The heading's colour as drawn: the first fragment of the page's first block (the <h1>).
Rgb headingColour(const QTextBrowser* browser)
{
    const QColor c =
        browser->document()->begin().begin().fragment().charFormat().foreground().color();
    return {c.red(), c.green(), c.blue()};
}

Rgb roleColour(const QWidget* widget, QPalette::ColorRole role)
{
    const QColor c = widget->palette().color(role);
    return {c.red(), c.green(), c.blue()};
}

TEST_F(Viewer, HeadingsFollowThePaletteAndStayReadable)
{
    start(HelpAction::Context, 20);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::Link, QColor(0x00, 0x00, 0xff));
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    light.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    light.setColor(QPalette::Link, QColor(0x00, 0x00, 0xff));
    const struct {
        const char* name;
        QPalette palette;
    } cases[] = {{"dark", dark}, {"light", light}, {"dark_again", dark}};
    std::vector<Rgb> headings;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        viewer_.setPalette(c.palette);
        const Rgb heading = headingColour(viewer_.browser());
        EXPECT_GE(contrastRatio(heading, roleColour(viewer_.browser(), QPalette::Base)),
                  kMinTextContrast);
        headings.push_back(heading);
        EXPECT_EQ(viewer_.currentTopic(), 20u);
        EXPECT_NE(text().find("Text zwanzig"), std::string::npos) << "the same page, recoloured";
    }
    EXPECT_NE(headings[0], headings[1]);
    EXPECT_EQ(headings[0], headings[2]);
    viewer_.backAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 1u);
    EXPECT_FALSE(viewer_.backAction()->isEnabled()) << "recolouring is no visit";
}

TEST_F(Viewer, CarriesTheTrainersIconAndFitsTheScreen)
{
    const QList<QSize> sizes = viewer_.windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    ASSERT_NE(viewer_.screen(), nullptr);
    const QRect free = viewer_.screen()->availableGeometry();
    EXPECT_LE(viewer_.width(), free.width());
    EXPECT_LE(viewer_.height(), free.height());
    EXPECT_GT(viewer_.width(), free.width() / 2) << "shrunk only as far as needed";
}

TEST_F(Viewer, ForwardedForceFileChangesNothingWhenTheFileIsShown)
{
    start(HelpAction::ForceFile);
    viewer_.showTopic(20);
    write("KAZ-HILFE 1\n@topic 1 Neu\n<p>neu</p>\n");
    viewer_.execute(HelpRequest{HelpAction::ForceFile, 0, {}});
    EXPECT_EQ(viewer_.currentTopic(), 20u);
    EXPECT_TRUE(viewer_.backAction()->isEnabled());
    EXPECT_NE(text().find("Text zwanzig"), std::string::npos) << "not reloaded";
}

TEST_F(Viewer, ForwardedContextShowsTheTopicAndTheWindow)
{
    start(HelpAction::ForceFile);
    viewer_.execute(HelpRequest{HelpAction::Context, 259, {}});
    EXPECT_EQ(viewer_.currentTopic(), 259u);
    EXPECT_TRUE(viewer_.isVisible());
    viewer_.backAction()->trigger();
    EXPECT_EQ(viewer_.currentTopic(), 1u);
}

TEST_F(Viewer, MissingFileShowsAMessageAndRecoversOnTheNextRequest)
{
    fs::remove(tmp_.path() / "DODADIZE.HLP");
    start(HelpAction::Context, 20);
    EXPECT_EQ(viewer_.loaded().status, LoadedHelp::Status::NotFound);
    EXPECT_NE(text().find("Hilfedatei „DODADIZE.HLP“ nicht gefunden"), std::string::npos) << text();
    EXPECT_FALSE(viewer_.currentTopic().has_value());
    EXPECT_FALSE(viewer_.topicList()->isVisibleTo(&viewer_));
    EXPECT_FALSE(viewer_.contentsAction()->isEnabled());
    EXPECT_FALSE(viewer_.backAction()->isEnabled());
    viewer_.showTopic(1);
    EXPECT_FALSE(viewer_.currentTopic().has_value());

    write(kHelp);
    viewer_.execute(HelpRequest{HelpAction::ForceFile, 0, {}});
    EXPECT_EQ(viewer_.loaded().status, LoadedHelp::Status::Ok);
    EXPECT_EQ(viewer_.currentTopic(), 1u);
    EXPECT_TRUE(viewer_.topicList()->isVisibleTo(&viewer_));
    EXPECT_TRUE(viewer_.contentsAction()->isEnabled());
}

TEST_F(Viewer, BrokenFileShowsWhatIsWrong)
{
    write("KAZ-HILFE 1\n@topic 1 A\n<p>x</p>\n@topic 1 B\n");
    start(HelpAction::Context, 1);
    EXPECT_EQ(viewer_.loaded().status, LoadedHelp::Status::Broken);
    EXPECT_NE(text().find("Hilfedatei ist beschädigt"), std::string::npos) << text();
    EXPECT_NE(text().find("Zeile 4"), std::string::npos);
    EXPECT_NE(text().find("gibt es schon in Zeile 2"), std::string::npos);
    EXPECT_EQ(viewer_.topicList()->count(), 0);
}

// Ends the test process when the guarded code has not returned within the bound: a hang in
// the GUI thread cannot be waited out from that thread.
class HangGuard {
public:
    HangGuard(const char* what, std::chrono::seconds bound)
        : thread_([this, what, bound] {
              std::unique_lock lock(mutex_);
              if (!released_.wait_for(lock, bound, [this] { return done_; })) {
                  std::fprintf(stderr, "still busy after %llds: %s\n",
                               static_cast<long long>(bound.count()), what);
                  std::abort();
              }
          })
    {}
    ~HangGuard()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        released_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool done_ = false;
    std::thread thread_;
};

constexpr std::chrono::seconds kGenerousBound{60};

void writeSolidPng(const fs::path& path, QRgb colour)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
}

bool showsColour(const QImage& shot, QRgb colour)
{
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu)) return true;
    return false;
}

constexpr QRgb kForeign = 0xFFFF00FF; // another user's picture
constexpr QRgb kOwn = 0xFF00C000;     // the help file's own picture

struct ResourceCase {
    const char* name;
    std::string reference;
    int type;
    const char* expected; // nullptr: nothing may be loaded
};

TEST_F(Viewer, ResourcesComeOnlyFromTheHelpFilesFolder)
{
    const TempDir outside;
    std::ofstream(outside.path() / "secret.png", std::ios::binary) << "geheim";
    writeSolidPng(tmp_.path() / "bild.png", kOwn);
    fs::create_directories(tmp_.path() / "unter");
    std::ofstream(tmp_.path() / "unter" / "stil.css", std::ios::binary) << "p { color: red }";
    std::ofstream(tmp_.path() / "gross.png", std::ios::binary)
        << std::string(kMaxHelpResourceBytes + 1, 'x');
    ASSERT_EQ(::mkfifo((tmp_.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink(outside.path() / "secret.png", tmp_.path() / "link.png");
    fs::create_directory_symlink(outside.path(), tmp_.path() / "aussen");
    const std::string outsideName = outside.path().filename().string();
    start(HelpAction::ForceFile);
    ASSERT_EQ(viewer_.loaded().status, LoadedHelp::Status::Ok);

    const int image = QTextDocument::ImageResource;
    const int style = QTextDocument::StyleSheetResource;
    const ResourceCase cases[] = {
        {"image_beside_the_help_file", "bild.png", image, "shown"},
        {"style_sheet_in_a_subfolder", "unter/../unter/stil.css", style, "p { color: red }"},
        {"device", "/dev/zero", image, nullptr},
        {"device_as_style_sheet", "/dev/zero", style, nullptr},
        {"fifo_beside_the_help_file", "fifo", image, nullptr},
        {"file_url_of_a_device", "file:///dev/zero", image, nullptr},
        {"absolute_path_outside", (outside.path() / "secret.png").string(), image, nullptr},
        {"any_local_file", "/etc/passwd", style, nullptr},
        {"up_and_out", "../" + outsideName + "/secret.png", image, nullptr},
        {"encoded_up_and_out", "%2E%2E/" + outsideName + "/secret.png", image, nullptr},
        {"link_leading_out", "link.png", image, nullptr},
        {"folder_link_leading_out", "aussen/secret.png", image, nullptr},
        {"too_large", "gross.png", image, nullptr},
        {"the_folder_itself", ".", style, nullptr},
        {"other_scheme", "http://example.invalid/bild.png", image, nullptr},
    };
    for (const ResourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const HangGuard guard(c.name, kGenerousBound);
        const QVariant loaded =
            viewer_.browser()->loadResource(c.type, QUrl(QString::fromStdString(c.reference)));
        // Empty data, not a null answer: a null one lets Qt read the file itself.
        ASSERT_FALSE(loaded.isNull());
        if (c.type == image) {
            // For an image, no picture would let Qt read the file itself too.
            ASSERT_EQ(loaded.userType(), QMetaType::QPixmap);
            const QImage picture = loaded.value<QPixmap>().toImage();
            ASSERT_FALSE(picture.isNull());
            EXPECT_EQ(picture.pixel(0, 0) == kOwn, c.expected != nullptr);
            continue;
        }
        const QByteArray bytes = loaded.userType() == QMetaType::QString
                                     ? loaded.toString().toUtf8()
                                     : loaded.toByteArray();
        EXPECT_EQ(bytes.toStdString(), c.expected == nullptr ? "" : c.expected);
    }
}

// The trainer starts the viewer from the help file's folder, where anything Qt resolved itself
// would find what a hostile file names: the test runs there too.
struct WorkingFolder {
    explicit WorkingFolder(const fs::path& folder) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous); }
    const fs::path previous = fs::current_path();
};

struct ImageCase {
    const char* name;
    std::string src;
    bool shown; // else neither waited on nor shown
};

TEST_F(Viewer, TopicImagesShowOnlyRegularFilesInsideTheHelpFolder)
{
    const TempDir outside;
    writeSolidPng(outside.path() / "fremd.png", kForeign);
    fs::create_directory(tmp_.path() / "bilder");
    writeSolidPng(tmp_.path() / "bilder" / "eigen.png", kOwn);
    FifoGuard fifo((tmp_.path() / "bild.png").string());
    ASSERT_TRUE(fifo.made());
    const std::string outsideName = outside.path().filename().string();
    const WorkingFolder inHelpFolder(tmp_.path());

    // One name of each form; which names are refused is the resource test's table.
    const ImageCase cases[] = {
        {"fifo_as_image", "bild.png", false},
        {"parent_escape", "../" + outsideName + "/fremd.png", false},
        {"absolute_path", (outside.path() / "fremd.png").string(), false},
        {"image_in_a_subfolder", "bilder/eigen.png", true},
    };
    for (const ImageCase& c : cases) {
        SCOPED_TRACE(c.name);
        write("KAZ-HILFE 1\n@topic 1 Bild\n<p>Bild <img src=\"" + c.src + "\"></p>\n");
        QImage shot;
        EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
            start(HelpAction::ForceFile);
            viewer_.show();
            shot = viewer_.grab().toImage();
        })) << "waited on the FIFO";
        ASSERT_EQ(viewer_.loaded().status, LoadedHelp::Status::Ok);
        EXPECT_FALSE(showsColour(shot, kForeign));
        EXPECT_EQ(showsColour(shot, kOwn), c.shown);
    }
    EXPECT_TRUE(fifo.stillFifo());
}

TEST_F(Viewer, HostileResourcesNeitherHangNorCrashTheViewer)
{
    fs::copy_file(KAZ_SOURCE_DIR "/tests/help/hostile/DODADIZE.HLP", tmp_.path() / "DODADIZE.HLP",
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(::mkfifo((tmp_.path() / "fifo").c_str(), 0600), 0);
    const WorkingFolder inHelpFolder(tmp_.path());
    const struct {
        TopicNumber topic;
        const char* text;
    } topics[] = {{1, "Bilder"}, {2, "Zelle"}};
    for (const auto& t : topics) {
        SCOPED_TRACE(t.text);
        const HangGuard guard(t.text, kGenerousBound);
        start(HelpAction::Context, t.topic);
        viewer_.show();
        ASSERT_FALSE(viewer_.grab().isNull());
        ASSERT_EQ(viewer_.loaded().status, LoadedHelp::Status::Ok);
        EXPECT_EQ(viewer_.currentTopic(), t.topic);
        EXPECT_NE(text().find(t.text), std::string::npos) << text();
    }
}

} // namespace
