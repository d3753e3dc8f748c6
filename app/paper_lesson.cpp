#include "paper_lesson.h"

#include "cp1252.h"
#include "entry_chain.h"
#include "first_term_order.h"
#include "paper_layout.h"
#include "safe_file.h"
#include "table_convert.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <vector>

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Geometry in points (1/72 inch).
constexpr int kResolutionDpi = 720;   // a tenth of a point per device unit
constexpr double kMarginPt = 56.7;    // 20 mm
constexpr double kHeadingPt = 11;     // font size of the heading
constexpr double kTermPt = 11;        // font size of the terms
constexpr double kHeadingBandPt = 30; // heading line and the room below it
constexpr double kFooterBandPt = 24;  // page count and the room above it
constexpr double kColumnGapPt = 18;
constexpr double kListPitchPt = 15;   // one line of the word list and the answers
constexpr double kTestPitchPt = 26;   // one question: room to write by hand
constexpr double kNumberWidthPt = 34; // "2000." before a question

const QString kFontFamily = QStringLiteral("Liberation Sans");
const QString kAnswersTitle = QStringLiteral("Lösungen");
const QString kPageCount = QStringLiteral("Seite %1 von %2");

double units(double points)
{
    return points * kResolutionDpi / 72.0;
}

QFont paperFont(double points, bool bold = false)
{
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// One row of a page: up to three texts (number, left column, right column) and whether the
// right column is a line to write on.
struct PaperRow {
    QString number;
    QString left;
    QString right;
    bool answerLine = false;
};

class PaperWriter {
public:
    PaperWriter(QPdfWriter& writer, const PaperHeading& heading)
        : writer_(writer), heading_(heading), painter_(&writer),
          metrics_(paperFont(kTermPt), &writer)
    {
        const QRectF page = QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        body_ = page.adjusted(units(kMarginPt), units(kMarginPt + kHeadingBandPt),
                              -units(kMarginPt), -units(kMarginPt + kFooterBandPt));
        page_ =
            page.adjusted(units(kMarginPt), units(kMarginPt), -units(kMarginPt), -units(kMarginPt));
    }

    // Lays the rows out at pitch (points per line) on as many pages as they need.
    struct Section {
        std::vector<PaperRow> rows;
        double pitchPt;
        QString title; // above the first row, on its page
    };

    void draw(const std::vector<Section>& sections)
    {
        struct Laid {
            const Section* section;
            std::vector<PaperPage> pages;
            std::vector<int> lines;
        };
        std::vector<Laid> laid;
        int total = 0;
        for (const Section& s : sections) {
            Laid l{&s, {}, {}};
            l.lines.reserve(s.rows.size());
            for (const PaperRow& row : s.rows)
                l.lines.push_back(
                    std::max(wrappedLines(row.left, leftWidth(row)),
                             row.answerLine ? 1 : wrappedLines(row.right, rightWidth())));
            const int titleLines = s.title.isEmpty() ? 0 : 2;
            const int perPage =
                static_cast<int>(std::floor(body_.height() / units(s.pitchPt))) - titleLines;
            l.pages = paginate(l.lines, perPage);
            total += static_cast<int>(l.pages.size());
            laid.push_back(std::move(l));
        }
        int pageNumber = 0;
        for (const Laid& l : laid) {
            for (const PaperPage& p : l.pages) {
                if (pageNumber > 0) writer_.newPage();
                drawFrame(++pageNumber, total);
                double y = body_.top();
                const double pitch = units(l.section->pitchPt);
                if (!l.section->title.isEmpty() && p.first == 0) {
                    painter_.setFont(paperFont(kHeadingPt, true));
                    painter_.drawText(QRectF(body_.left(), y, body_.width(), pitch),
                                      Qt::AlignLeft | Qt::AlignTop, l.section->title);
                    y += 2 * pitch;
                }
                painter_.setFont(paperFont(kTermPt));
                for (std::size_t i = p.first; i < p.first + p.count; ++i) {
                    drawRow(l.section->rows[i], y, l.lines[i], pitch);
                    y += l.lines[i] * pitch;
                }
            }
        }
    }

private:
    double columnWidth() const { return (body_.width() - units(kColumnGapPt)) / 2; }
    double leftWidth(const PaperRow& row) const
    {
        return columnWidth() - (row.number.isEmpty() ? 0 : units(kNumberWidthPt));
    }
    double rightWidth() const { return columnWidth(); }

    int wrappedLines(const QString& text, double width) const
    {
        if (text.isEmpty()) return 1;
        const QRectF bound = metrics_.boundingRect(QRectF(0, 0, width, 1e9),
                                                   Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
        return std::max(
            1, static_cast<int>(std::ceil(bound.height() / metrics_.lineSpacing() - 0.01)));
    }

    void drawRow(const PaperRow& row, double y, int lines, double pitch)
    {
        const double height = lines * pitch;
        double x = body_.left();
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;
        // The text stands at the foot of its first line's room, so a line to write on sits level.
        const double lift = pitch - metrics_.lineSpacing();
        if (!row.number.isEmpty()) {
            painter_.drawText(QRectF(x, y + lift, units(kNumberWidthPt) - units(4), pitch),
                              Qt::AlignRight | Qt::AlignTop, row.number);
            x += units(kNumberWidthPt);
        }
        painter_.drawText(QRectF(x, y + lift, leftWidth(row), height), flags, row.left);
        const double right = body_.left() + columnWidth() + units(kColumnGapPt);
        if (row.answerLine) {
            const double base = y + pitch - units(3);
            painter_.drawLine(QPointF(right, base), QPointF(body_.right(), base));
        } else {
            painter_.drawText(QRectF(right, y + lift, rightWidth(), height), flags, row.right);
        }
    }

    void drawFrame(int page, int pages)
    {
        painter_.setFont(paperFont(kHeadingPt, true));
        const QRectF top(page_.left(), page_.top(), page_.width(), units(kHeadingBandPt));
        painter_.drawText(top, Qt::AlignLeft | Qt::AlignTop, heading_.lessonName);
        painter_.setFont(paperFont(kHeadingPt));
        painter_.drawText(top, Qt::AlignRight | Qt::AlignTop,
                          heading_.date.toString(QStringLiteral("dd.MM.yyyy")));
        const double rule = page_.top() + units(kHeadingPt * 1.6);
        painter_.drawLine(QPointF(page_.left(), rule), QPointF(page_.right(), rule));
        painter_.drawText(QRectF(page_.left(), page_.bottom() - units(kHeadingPt * 1.5),
                                 page_.width(), units(kHeadingPt * 1.5)),
                          Qt::AlignHCenter | Qt::AlignBottom, kPageCount.arg(page).arg(pages));
    }

    QPdfWriter& writer_;
    const PaperHeading& heading_;
    QPainter painter_;
    QFontMetricsF metrics_;
    QRectF page_; // inside the margins
    QRectF body_; // between heading and footer
};

QString term(const std::string& bytes)
{
    return fromCp1252(bytes);
}

std::vector<PaperWriter::Section> sections(const EntryChain& chain, PaperKind kind,
                                           std::uint64_t seed)
{
    std::vector<strWort*> entries;
    entries.reserve(chain.entryCount());
    for (strWort* e = const_cast<EntryChain&>(chain).firstEntry(); e != nullptr; e = e->next)
        entries.push_back(e);
    if (kind == PaperKind::WordList) {
        sortByFirstTerm(entries);
        PaperWriter::Section list{{}, kListPitchPt, {}};
        list.rows.reserve(entries.size());
        for (const strWort* e : entries)
            list.rows.push_back({{}, term(e->term1), term(e->term2), false});
        return {std::move(list)};
    }
    PaperWriter::Section questions{{}, kTestPitchPt, {}};
    PaperWriter::Section answers{{}, kListPitchPt, kAnswersTitle};
    std::size_t number = 0;
    for (const std::size_t i : testSheetOrder(entries.size(), seed)) {
        const QString n = QString::number(++number) + QLatin1Char('.');
        questions.rows.push_back({n, term(entries[i]->term1), {}, true});
        answers.rows.push_back({n, term(entries[i]->term1), term(entries[i]->term2), false});
    }
    return {std::move(questions), std::move(answers)};
}

} // namespace

QByteArray lessonPdf(const EntryChain& chain, PaperKind kind, const PaperHeading& heading,
                     std::uint64_t seed)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolutionDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(heading.lessonName);
        writer.setCreator(QStringLiteral("KAZ-TRAINER"));
        PaperWriter paper(writer, heading);
        paper.draw(sections(chain, kind, seed));
    }
    return bytes;
}

bool writeLessonPdf(const std::string& path, const EntryChain& chain, PaperKind kind,
                    const PaperHeading& heading, std::uint64_t seed)
{
    const QByteArray bytes = lessonPdf(chain, kind, heading, seed);
    return replaceFileContents(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool isPdfFileName(const std::string& path)
{
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".pdf";
}

int convertToPdf(const std::string& in, const std::string& out, std::ostream& err)
{
    EntryChain chain;
    const int status = readConvertInput(in, out, chain, err);
    if (status == kConvertFailed) return status;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const PaperHeading heading{
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(in))).completeBaseName(),
        QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)};
    if (!writeLessonPdf(out, chain, PaperKind::WordList, heading)) {
        err << "Datei " << out << " kann nicht geschrieben werden!\n";
        return kConvertFailed;
    }
    return status;
}
