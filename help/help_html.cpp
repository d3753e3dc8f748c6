#include "help_html.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == ':' || c == '_';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Elements that Qt never gives children. Every other element, known to Qt or not, opens a level.
bool isVoid(std::string_view name)
{
    return name == "br" || name == "hr" || name == "img" || name == "meta";
}

// Elements whose end tag may be left out: one of these opened right inside another of its kind
// becomes its sibling, as in Qt. Every other opening, these included, counts one level deeper.
bool closesItsLike(std::string_view name)
{
    static constexpr std::array<std::string_view, 8> kNames = {"dd", "dt", "li", "option",
                                                               "p",  "td", "th", "tr"};
    return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// A tag as far as the bounds care: its lower-case name, whether it closes, and its spans.
struct Tag {
    std::string name;
    bool closing = false;
    unsigned long long colspan = 1;
    unsigned long long rowspan = 1;
};

// The grid Qt makes of a table: every row as wide as the widest, spans included. Cells that a
// rowspan carries into later rows widen those rows, as in Qt, where they push cells right.
class TableShape {
public:
    void beginRow()
    {
        ++rows_;
        current_ = carried_.front();
        std::rotate(carried_.begin(), carried_.begin() + 1, carried_.end());
        carried_.back() = 0;
    }

    void addCell(unsigned long long colspan, unsigned long long rowspan)
    {
        if (rows_ == 0) beginRow();
        current_ += colspan;
        columns_ = std::max(columns_, current_);
        for (unsigned long long k = 1; k < rowspan && k <= carried_.size(); ++k)
            carried_[k - 1] += colspan;
        rowReach_ = std::max(rowReach_, rows_ - 1 + rowspan);
    }

    unsigned long long cells() const { return std::max(rows_, rowReach_) * columns_; }

private:
    unsigned long long rows_ = 0;
    unsigned long long rowReach_ = 0; // rows that the rowspans reach
    unsigned long long columns_ = 0;
    unsigned long long current_ = 0; // width of the row being read
    // Columns that rowspans of earlier rows take in each of the next rows.
    std::array<unsigned long long, kMaxHtmlSpan> carried_{};
};

class Scanner {
public:
    explicit Scanner(std::string_view html) : html_(html) {}

    std::optional<HtmlFault> run()
    {
        while ((pos_ = html_.find('<', pos_)) != std::string_view::npos) {
            const std::size_t start = pos_++;
            if (skipMarkup()) continue;
            Tag tag;
            if (!readTag(tag)) continue;
            if (auto fault = apply(tag, start)) return fault;
        }
        return std::nullopt;
    }

private:
    // Comments, declarations and processing instructions hold no elements.
    bool skipMarkup()
    {
        if (html_.substr(pos_, 3) == "!--") {
            const std::size_t end = html_.find("-->", pos_ + 3);
            pos_ = end == std::string_view::npos ? html_.size() : end + 3;
            return true;
        }
        if (pos_ < html_.size() && (html_[pos_] == '!' || html_[pos_] == '?')) {
            const std::size_t end = html_.find('>', pos_);
            pos_ = end == std::string_view::npos ? html_.size() : end + 1;
            return true;
        }
        return false;
    }

    // Reads "name attributes... >" after the "<"; false when this "<" starts no tag.
    bool readTag(Tag& tag)
    {
        if (pos_ < html_.size() && html_[pos_] == '/') {
            tag.closing = true;
            ++pos_;
        }
        if (pos_ >= html_.size() || !std::isalpha(static_cast<unsigned char>(html_[pos_])))
            return false;
        while (pos_ < html_.size() && isNameChar(html_[pos_]))
            tag.name.push_back(lower(html_[pos_++]));
        while (pos_ < html_.size()) {
            const char c = html_[pos_];
            if (c == '>') {
                ++pos_;
                return true;
            }
            // "<ul/>" opens a list in Qt as "<ul>" does: the slash closes nothing.
            if (isNameChar(c))
                readAttribute(tag);
            else
                ++pos_;
        }
        return true; // a tag cut off at the end still opens its element
    }

    void readAttribute(Tag& tag)
    {
        std::string name;
        while (pos_ < html_.size() && isNameChar(html_[pos_]))
            name.push_back(lower(html_[pos_++]));
        while (pos_ < html_.size() && isSpace(html_[pos_]))
            ++pos_;
        if (pos_ >= html_.size() || html_[pos_] != '=') return;
        ++pos_;
        while (pos_ < html_.size() && isSpace(html_[pos_]))
            ++pos_;
        std::string_view value;
        if (pos_ < html_.size() && (html_[pos_] == '"' || html_[pos_] == '\'')) {
            const char quote = html_[pos_++];
            const std::size_t end = std::min(html_.find(quote, pos_), html_.size());
            value = html_.substr(pos_, end - pos_);
            pos_ = std::min(end + 1, html_.size());
        } else {
            const std::size_t begin = pos_;
            while (pos_ < html_.size() && !isSpace(html_[pos_]) && html_[pos_] != '>')
                ++pos_;
            value = html_.substr(begin, pos_ - begin);
        }
        // Qt reads 0 and nonsense as 1.
        if (name == "colspan") tag.colspan = std::max(1ULL, spanValue(value));
        if (name == "rowspan") tag.rowspan = std::max(1ULL, spanValue(value));
    }

    // The number Qt would read from the value's leading digits, saturated.
    static unsigned long long spanValue(std::string_view value)
    {
        while (!value.empty() && isSpace(value.front()))
            value.remove_prefix(1);
        if (!value.empty() && value.front() == '+') value.remove_prefix(1);
        unsigned long long n = 0;
        for (const char c : value) {
            if (c < '0' || c > '9') break;
            n = std::min<unsigned long long>(n * 10 + static_cast<unsigned>(c - '0'), 1ULL << 40);
        }
        return n;
    }

    std::optional<HtmlFault> apply(const Tag& tag, std::size_t offset)
    {
        if (std::max(tag.colspan, tag.rowspan) > kMaxHtmlSpan)
            return HtmlFault{offset, "„colspan“ und „rowspan“ dürfen höchstens " +
                                         std::to_string(kMaxHtmlSpan) + " sein."};
        if (isVoid(tag.name)) return std::nullopt;
        if (tag.closing) {
            // An end tag closes its element and every element left open inside it.
            const auto open = std::find(open_.rbegin(), open_.rend(), tag.name);
            if (open != open_.rend()) {
                open_.erase(std::prev(open.base()), open_.end());
                const auto stillOpen =
                    static_cast<std::size_t>(std::count(open_.begin(), open_.end(), "table"));
                while (tables_.size() > stillOpen) {
                    closedCells_ += tables_.back().cells();
                    tables_.pop_back();
                }
            }
            return std::nullopt;
        }
        if (closesItsLike(tag.name) && !open_.empty() && open_.back() == tag.name) open_.pop_back();
        open_.push_back(tag.name);
        if (tag.name == "table") {
            tables_.emplace_back();
            if (tables_.size() > kMaxHtmlTableNesting)
                return HtmlFault{offset,
                                 "Tabellen sind zu tief ineinander verschachtelt (höchstens " +
                                     std::to_string(kMaxHtmlTableNesting) + ")."};
        } else if (!tables_.empty() && tag.name == "tr") {
            tables_.back().beginRow();
        } else if (!tables_.empty() && (tag.name == "td" || tag.name == "th")) {
            tables_.back().addCell(tag.colspan, tag.rowspan);
            unsigned long long cells = closedCells_;
            for (const TableShape& table : tables_)
                cells += table.cells();
            if (cells > kMaxHtmlTableCells)
                return HtmlFault{offset, "Die Tabellen haben zusammen mehr als " +
                                             std::to_string(kMaxHtmlTableCells) + " Zellen."};
        }
        if (open_.size() > kMaxHtmlNesting)
            return HtmlFault{offset, "Elemente sind zu tief ineinander verschachtelt (höchstens " +
                                         std::to_string(kMaxHtmlNesting) + ")."};
        return std::nullopt;
    }

    std::string_view html_;
    std::size_t pos_ = 0;
    std::vector<std::string> open_;  // never longer than kMaxHtmlNesting + 1
    std::vector<TableShape> tables_; // the open tables, innermost last
    unsigned long long closedCells_ = 0;
};

} // namespace

std::optional<HtmlFault> checkHelpHtml(std::string_view html)
{
    return Scanner(html).run();
}
