#include "foreign_file.h"

#include "entry_chain.h"
#include "safe_file.h"
#include "windows1252.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include <expat.h>
#include <zlib.h>

namespace {

constexpr std::string_view kGzipMagic = "\x1F\x8B";
// expat takes lengths as int: the text goes to it in pieces of this many bytes.
constexpr std::size_t kXmlPiece = 1 << 20;
constexpr std::size_t kUnpackChunk = 64 * 1024; // gzip unpacks into pieces of this many bytes

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (lowerAscii(text[i]) != suffix[i]) return false;
    return true;
}

std::string placeCount(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// --- XML ------------------------------------------------------------------------------------

// A streaming read of one XML document through expat. Subclasses see each element's start and
// end with its depth (the root at 1) and the text of the elements they ask for.
class XmlReader {
public:
    virtual ~XmlReader() = default;

    // False with reason set when the document is refused.
    // encoding: null for the one the document declares, else the one to read it in whatever
    // it declares.
    bool parse(std::string_view bytes, std::string& reason, const char* encoding = nullptr)
    {
        std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(encoding),
                                                                       &XML_ParserFree);
        if (!parser) throw std::bad_alloc();
        parser_ = parser.get();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XmlReader::onStart, &XmlReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &XmlReader::onText);
        XML_SetEntityDeclHandler(parser_, &XmlReader::onEntityDecl);
        XML_SetUnknownEncodingHandler(parser_, &XmlReader::onUnknownEncoding, nullptr);
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
        for (std::size_t from = 0;;) {
            const std::size_t piece = std::min(kXmlPiece, bytes.size() - from);
            const bool last = from + piece == bytes.size();
            if (XML_Parse(parser_, bytes.data() + from, static_cast<int>(piece), last) !=
                XML_STATUS_OK) {
                if (refusal_.empty()) {
                    if (XML_GetErrorCode(parser_) == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
                    refusal_ =
                        std::string("XML-Fehler: ") + XML_ErrorString(XML_GetErrorCode(parser_));
                }
                reason =
                    "Zeile " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ": " + refusal_;
                return false;
            }
            if (last) return true;
            from += piece;
        }
    }

protected:
    virtual void start(std::string_view name, const XML_Char** attributes, int depth) = 0;
    virtual void end(std::string_view name, int depth) = 0;
    // Whether the text now read belongs to a term; it is then appended to text().
    virtual bool wantsText() const = 0;

    std::string& text() { return text_; }
    int depth() const { return depth_; }

    static const char* attribute(const XML_Char** attributes, std::string_view name)
    {
        for (int i = 0; attributes[i] != nullptr; i += 2)
            if (name == attributes[i]) return attributes[i + 1];
        return nullptr;
    }

private:
    void stop(std::string why)
    {
        if (refusal_.empty()) refusal_ = std::move(why);
        XML_StopParser(parser_, XML_FALSE);
    }

    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        auto* r = static_cast<XmlReader*>(self);
        if (++r->depth_ > kMaxXmlDepth) {
            r->stop("Elemente tiefer als " + std::to_string(kMaxXmlDepth) +
                    " Ebenen verschachtelt");
            return;
        }
        r->start(name, attributes, r->depth_);
    }

    static void XMLCALL onEnd(void* self, const XML_Char* name)
    {
        auto* r = static_cast<XmlReader*>(self);
        r->end(name, r->depth_--);
    }

    static void XMLCALL onText(void* self, const XML_Char* text, int length)
    {
        auto* r = static_cast<XmlReader*>(self);
        if (r->wantsText()) r->text_.append(text, static_cast<std::size_t>(length));
    }

    // A word list needs no entities of its own; their expansion is what makes an XML file
    // hostile, so a file that declares any is not read on.
    static void XMLCALL onEntityDecl(void* self, const XML_Char*, int, const XML_Char*, int,
                                     const XML_Char*, const XML_Char*, const XML_Char*,
                                     const XML_Char*)
    {
        static_cast<XmlReader*>(self)->stop("Die Datei vereinbart Entitäten, die nicht gelesen "
                                            "werden");
    }

    // expat knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII; old lists are often Windows-1252.
    static int XMLCALL onUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
    {
        std::string lower(name);
        for (char& c : lower)
            c = lowerAscii(c);
        if (lower != "windows-1252" && lower != "cp1252") return XML_STATUS_ERROR;
        for (int b = 0; b < 256; ++b)
            info->map[b] = static_cast<int>(windows1252Char(static_cast<unsigned char>(b)));
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }

    XML_Parser parser_ = nullptr;
    int depth_ = 0;
    std::string text_;
    std::string refusal_;
};

// KVTML 2: <kvtml><identifiers><identifier id=…/></identifiers><entries><entry id=…>
// <translation id=…><text>…</text></translation></entry></entries><lessons><container>
// <entry id=…/><container>…</container></container></lessons></kvtml>.
// KVTML 1: <kvtml><e><o>first</o><t>second</t><t>third</t></e></kvtml>.
class KvtmlReader : public XmlReader {
public:
    struct Entry {
        std::string id;
        std::vector<std::pair<std::string, std::string>> translations; // id, text
        bool inLesson = false;
    };

    std::vector<Entry> entries;
    std::vector<std::string> languages;   // identifier ids in file order
    std::vector<std::string> lessonOrder; // entry ids in the order the lessons name them
    bool sawRoot = false;

private:
    void start(std::string_view name, const XML_Char** attributes, int depth) override
    {
        path_.resize(static_cast<std::size_t>(depth - 1));
        path_.emplace_back(name);
        if (depth == 1) {
            sawRoot = name == "kvtml";
            return;
        }
        if (!sawRoot) return;
        const auto idOf = [&] {
            const char* id = attribute(attributes, "id");
            return std::string(id ? id : "");
        };
        if (depth == 3 && path_[1] == "identifiers" && name == "identifier") {
            languages.push_back(idOf());
        } else if (depth == 3 && path_[1] == "entries" && name == "entry") {
            entries.push_back({idOf(), {}, false});
        } else if (depth == 4 && path_[1] == "entries" && path_[2] == "entry" &&
                   name == "translation") {
            entries.back().translations.emplace_back(idOf(), std::string());
        } else if (depth == 5 && path_[1] == "entries" && path_[2] == "entry" &&
                   path_[3] == "translation" && name == "text") {
            inText_ = true;
            text().clear();
        } else if (depth >= 4 && path_[1] == "lessons" && name == "entry" &&
                   path_[static_cast<std::size_t>(depth - 2)] == "container") {
            lessonOrder.push_back(idOf());
        } else if (depth == 2 && name == "e") { // version 1
            entries.push_back({std::to_string(entries.size()), {}, false});
        } else if (depth == 3 && path_[1] == "e" && (name == "o" || name == "t")) {
            entries.back().translations.emplace_back(
                std::to_string(entries.back().translations.size()), std::string());
            inText_ = true;
            text().clear();
        }
    }

    void end(std::string_view, int) override
    {
        if (!inText_) return;
        inText_ = false;
        std::vector<std::pair<std::string, std::string>>& translations =
            entries.back().translations;
        if (!translations.empty()) translations.back().second = std::move(text());
        text().clear();
    }

    bool wantsText() const override { return inText_; }

    std::vector<std::string> path_;
    bool inText_ = false;
};

// Pauker: <Lesson><Batch><Card><FrontSide><Text>…</Text></FrontSide><ReverseSide>…
// </ReverseSide></Card></Batch></Lesson>; older files hold the text in the side itself.
class PaukerReader : public XmlReader {
public:
    std::vector<std::array<std::string, 2>> cards;
    bool sawRoot = false;

private:
    void start(std::string_view name, const XML_Char**, int depth) override
    {
        if (depth == 1) sawRoot = name == "Lesson";
        if (!sawRoot) return;
        if (name == "Card") {
            cards.emplace_back();
            cardDepth_ = depth;
        } else if (cardDepth_ > 0 && depth == cardDepth_ + 1 &&
                   (name == "FrontSide" || name == "ReverseSide")) {
            side_ = name == "FrontSide" ? 0 : 1;
            sideDepth_ = depth;
            sideText_.clear();
            text().clear();
            textElement_ = false;
        } else if (sideDepth_ > 0 && depth == sideDepth_ + 1 && name == "Text") {
            // The side's own text so far was only layout between elements.
            text().clear();
            textElement_ = true;
            inTextElement_ = true;
        }
    }

    void end(std::string_view name, int depth) override
    {
        if (inTextElement_ && depth == sideDepth_ + 1 && name == "Text") {
            inTextElement_ = false;
            sideText_ = text();
        } else if (sideDepth_ > 0 && depth == sideDepth_) {
            cards.back()[static_cast<std::size_t>(side_)] =
                std::move(textElement_ ? sideText_ : text());
            text().clear();
            sideDepth_ = 0;
        } else if (depth == cardDepth_ && name == "Card") {
            cardDepth_ = 0;
        }
    }

    // Inside a side: its own text, or that of its <Text> element; not that of <Font> and such.
    bool wantsText() const override
    {
        return sideDepth_ > 0 && (inTextElement_ || (!textElement_ && depth() == sideDepth_));
    }

    int cardDepth_ = 0;
    int sideDepth_ = 0;
    int side_ = 0;
    bool textElement_ = false;
    bool inTextElement_ = false;
    std::string sideText_;
};

// The two languages of a KVTML file: its first two identifiers; a file that names fewer takes
// the translations 0 and 1 (as files with a single identifier still hold both).
std::array<std::string, 2> kvtmlLanguages(const std::vector<std::string>& identifiers)
{
    std::array<std::string, 2> ids{"0", "1"};
    if (identifiers.size() >= 2) return {identifiers[0], identifiers[1]};
    if (identifiers.size() == 1) {
        ids[0] = identifiers[0];
        ids[1] = identifiers[0] == "1" ? "0" : "1";
    }
    return ids;
}

std::vector<ImportedPair> kvtmlPairs(KvtmlReader& reader, ForeignReadReport& report)
{
    const std::array<std::string, 2> languages = kvtmlLanguages(reader.languages);
    std::map<std::string_view, std::size_t> byId; // the first entry of each id
    for (std::size_t i = reader.entries.size(); i-- > 0;)
        byId[reader.entries[i].id] = i;
    std::vector<std::size_t> order;
    order.reserve(reader.entries.size());
    for (const std::string& id : reader.lessonOrder) {
        const auto found = byId.find(id);
        if (found == byId.end() || reader.entries[found->second].inLesson) continue;
        reader.entries[found->second].inLesson = true;
        order.push_back(found->second);
    }
    for (std::size_t i = 0; i < reader.entries.size(); ++i)
        if (!reader.entries[i].inLesson) order.push_back(i);

    std::vector<ImportedPair> pairs;
    pairs.reserve(order.size());
    for (const std::size_t i : order) {
        KvtmlReader::Entry& entry = reader.entries[i];
        ImportedPair pair{i + 1, {}};
        for (std::size_t side = 0; side < 2; ++side)
            for (auto& [id, text] : entry.translations)
                if (id == languages[side]) {
                    pair.terms[side] = std::move(text);
                    break;
                }
        if (entry.translations.size() > 2) ++report.moreTranslations;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// --- Text (Anki, Quizlet) ------------------------------------------------------------------

struct TextHeader {
    char separator = '\0'; // none named
    bool html = false;
    std::vector<std::size_t> skippedColumns; // 0-based: guid, notetype, deck, tags
    bool any = false;
};

constexpr std::array<std::string_view, 8> kAnkiHeaders = {
    "#separator:",   "#html:",        "#columns:",     "#notetype column:",
    "#deck column:", "#tags column:", "#guid column:", "#notetype:"};

bool isAnkiHeader(std::string_view line)
{
    return std::any_of(kAnkiHeaders.begin(), kAnkiHeaders.end(),
                       [&](std::string_view h) { return line.starts_with(h); }) ||
           line.starts_with("#deck:") || line.starts_with("#tags:");
}

char namedSeparator(std::string_view value)
{
    static const std::array<std::pair<std::string_view, char>, 7> names = {{{"tab", '\t'},
                                                                            {"comma", ','},
                                                                            {"semicolon", ';'},
                                                                            {"space", ' '},
                                                                            {"pipe", '|'},
                                                                            {"colon", ':'},
                                                                            {"Tab", '\t'}}};
    for (const auto& [name, c] : names)
        if (value == name) return c;
    return value.size() == 1 ? value[0] : '\0';
}

// Reads the header lines at the top and returns the offset of the first note's line; line
// counts how many lines that was.
std::size_t readHeader(std::string_view text, TextHeader& header, std::size_t& line)
{
    std::size_t pos = 0;
    line = 0;
    while (pos < text.size() && text[pos] == '#') {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view h = text.substr(pos, end - pos);
        if (h.ends_with('\r')) h.remove_suffix(1);
        if (!isAnkiHeader(h)) break;
        header.any = true;
        const std::string_view value = h.substr(h.find(':') + 1);
        if (h.starts_with("#separator:")) {
            header.separator = namedSeparator(value);
        } else if (h.starts_with("#html:")) {
            header.html = value == "true";
        } else if (h.find(" column:") != std::string_view::npos) {
            std::size_t column = 0;
            for (const char c : value) {
                if (c < '0' || c > '9' || column > 1000) break;
                column = column * 10 + static_cast<std::size_t>(c - '0');
            }
            if (column > 0) header.skippedColumns.push_back(column - 1);
        }
        pos = std::min(end + 1, text.size());
        ++line;
    }
    return pos;
}

// Decodes the character reference at text[pos] ('&'); appends it and returns its length, or 0
// when there is none.
std::size_t appendReference(std::string_view text, std::size_t pos, std::string& out)
{
    const std::size_t semi = text.find(';', pos);
    if (semi == std::string_view::npos || semi - pos > 10) return 0;
    const std::string_view name = text.substr(pos + 1, semi - pos - 1);
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        char32_t cp = 0;
        std::size_t digits = 0;
        for (const char c : name.substr(hex ? 2 : 1)) {
            int v = -1;
            if (c >= '0' && c <= '9')
                v = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                v = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                v = c - 'A' + 10;
            if (v < 0 || cp > 0x10FFFF) return 0;
            cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
            ++digits;
        }
        if (digits == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        appendUtf8(out, cp);
        return semi - pos + 1;
    }
    static const std::array<std::pair<std::string_view, char32_t>, 18> named = {{
        {"amp", '&'},
        {"lt", '<'},
        {"gt", '>'},
        {"quot", '"'},
        {"apos", '\''},
        {"nbsp", ' '},
        {"auml", 0xE4},
        {"ouml", 0xF6},
        {"uuml", 0xFC},
        {"Auml", 0xC4},
        {"Ouml", 0xD6},
        {"Uuml", 0xDC},
        {"szlig", 0xDF},
        {"eacute", 0xE9},
        {"egrave", 0xE8},
        {"agrave", 0xE0},
        {"ccedil", 0xE7},
        {"euro", 0x20AC},
    }};
    for (const auto& [n, cp] : named)
        if (n == name) {
            appendUtf8(out, cp);
            return semi - pos + 1;
        }
    return 0;
}

bool tagIs(std::string_view tag, std::string_view name)
{
    if (tag.starts_with('/')) tag.remove_prefix(1);
    if (tag.size() < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lowerAscii(tag[i]) != name[i]) return false;
    return tag.size() == name.size() || tag[name.size()] == ' ' || tag[name.size()] == '/' ||
           tag[name.size()] == '>' || tag[name.size()] == '\t';
}

// A reference left out leaves no blanks of its own: those before it go, those after it become
// one where text follows. Returns where reading goes on.
std::size_t leaveOut(std::string_view field, std::size_t after, std::string& out)
{
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (after < field.size() && field[after] == ' ')
        ++after;
    if (!out.empty() && after < field.size()) out.push_back(' ');
    return after;
}

// A field as a term: sound references and (in HTML) pictures left out and counted; in HTML
// the tags dropped, those that break lines a blank, and character references decoded.
std::string fieldText(std::string_view field, bool html, std::size_t& media)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size();) {
        if (field.substr(i).starts_with("[sound:")) {
            const std::size_t close = field.find(']', i);
            if (close != std::string_view::npos) {
                ++media;
                i = leaveOut(field, close + 1, out);
                continue;
            }
        }
        if (html && field[i] == '<') {
            const std::size_t close = field.find('>', i);
            if (close != std::string_view::npos) {
                const std::string_view tag = field.substr(i + 1, close - i - 1);
                if (tagIs(tag, "img")) {
                    ++media;
                    i = leaveOut(field, close + 1, out);
                    continue;
                }
                if (tagIs(tag, "br") || tagIs(tag, "div") || tagIs(tag, "p") || tagIs(tag, "li") ||
                    tagIs(tag, "tr") || tagIs(tag, "td"))
                    out.push_back(' ');
                i = close + 1;
                continue;
            }
        }
        if (html && field[i] == '&') {
            if (const std::size_t used = appendReference(field, i, out)) {
                i += used;
                continue;
            }
        }
        out.push_back(field[i++]);
    }
    return out;
}

// Splits one note into fields from text[pos]; quoted fields (as Anki writes them) only when
// quoting is on. Moves pos past the note's line end and counts the lines it took.
std::vector<std::string> splitNote(std::string_view text, std::size_t& pos, char sep, bool quoting,
                                   std::size_t& lines)
{
    std::vector<std::string> fields(1);
    lines = 1;
    bool atFieldStart = true;
    while (pos < text.size()) {
        const char c = text[pos];
        if (quoting && atFieldStart && c == '"') {
            const std::size_t open = pos++;
            const std::size_t linesBefore = lines;
            bool closed = false;
            while (pos < text.size()) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        fields.back().push_back('"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    closed = true;
                    break;
                }
                if (text[pos] == '\n') ++lines;
                fields.back().push_back(text[pos++]);
            }
            if (!closed) { // a quote never closed is a character of the line it stands on
                pos = open;
                lines = linesBefore;
                fields.back().clear();
                quoting = false;
            }
            atFieldStart = false;
            continue;
        }
        atFieldStart = false;
        ++pos;
        if (c == '\n') return fields;
        if (c == '\r') {
            if (pos < text.size() && text[pos] == '\n') ++pos;
            return fields;
        }
        if (c == sep) {
            fields.emplace_back();
            atFieldStart = true;
            continue;
        }
        fields.back().push_back(c);
    }
    return fields;
}

// Without a header naming it, the separator is a tab (what both programs write by default),
// else a semicolon or a comma, whichever the first note line holds.
char guessSeparator(std::string_view text, std::size_t from)
{
    const std::string_view line = text.substr(from, text.find('\n', from) - from);
    for (const char c : {'\t', ';', ','})
        if (line.find(c) != std::string_view::npos) return c;
    return '\t';
}

std::vector<ImportedPair> textPairs(std::string_view bytes, ForeignReadReport& report)
{
    std::string owned;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (!isValidUtf8(bytes)) { // an old export in the Windows code page
        owned = windows1252ToUtf8(bytes);
        bytes = owned;
    }
    TextHeader header;
    std::size_t line = 0;
    std::size_t pos = readHeader(bytes, header, line);
    const char sep = header.separator ? header.separator : guessSeparator(bytes, pos);
    std::vector<ImportedPair> pairs;
    while (pos < bytes.size()) {
        std::size_t lines = 0;
        const std::size_t place = line + 1;
        std::vector<std::string> fields = splitNote(bytes, pos, sep, header.any, lines);
        line += lines;
        ImportedPair pair{place, {}};
        std::size_t side = 0;
        for (std::size_t column = 0; column < fields.size() && side < 2; ++column) {
            if (std::find(header.skippedColumns.begin(), header.skippedColumns.end(), column) !=
                header.skippedColumns.end())
                continue;
            pair.terms[side++] = fieldText(fields[column], header.html, report.mediaLeftOut);
        }
        // A blank line is no note; a note whose fields hold nothing is refused as empty.
        if (fields.size() == 1 && fields[0].find_first_not_of(" \t") == std::string::npos) continue;
        ++report.pairsInFile;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// --- gzip ---------------------------------------------------------------------------------

// Unpacks gzip members one after another into out, no further than maxBytes: false for a
// stream that would be longer (TooLarge) or is broken (wrong, with the reason).
enum class Unpacked { Done, TooLarge, Broken };
Unpacked gunzip(std::string_view packed, std::uint64_t maxBytes, std::string& out)
{
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, &inflateEnd);
    std::array<char, kUnpackChunk> chunk;
    std::size_t from = 0;
    for (;;) {
        const std::size_t piece = std::min<std::size_t>(packed.size() - from, UINT_MAX);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + from));
        z.avail_in = static_cast<uInt>(piece);
        int status = Z_OK;
        while (status == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = static_cast<uInt>(chunk.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status == Z_MEM_ERROR) throw std::bad_alloc();
            const std::size_t got = chunk.size() - z.avail_out;
            if (got > maxBytes - std::min<std::uint64_t>(out.size(), maxBytes))
                return Unpacked::TooLarge;
            out.append(chunk.data(), got);
            if (status == Z_BUF_ERROR && got > 0) status = Z_OK;
        }
        from += piece - z.avail_in;
        if (status == Z_STREAM_END) {
            if (from == packed.size()) return Unpacked::Done;
            // gzip allows members one after another; anything else behind is no gzip.
            if (!packed.substr(from).starts_with(kGzipMagic)) return Unpacked::Broken;
            inflateReset(&z);
            continue;
        }
        return Unpacked::Broken;
    }
}

// Whether an XML text is UTF-8 by its own word: no byte-order mark of UTF-16, and a
// declaration that names UTF-8 or none.
bool declaresUtf8(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return false;
    if (!bytes.starts_with("<?xml")) return true;
    std::string declaration(bytes.substr(0, bytes.find("?>")));
    for (char& c : declaration)
        c = lowerAscii(c);
    const std::size_t at = declaration.find("encoding");
    return at == std::string::npos || declaration.find("utf-8", at) != std::string::npos;
}

ForeignReadReport readDecoded(std::string_view bytes, EntryChain& chain,
                              LessonReadListener* listener, const LessonReadLimits& limits)
{
    ForeignReadReport report;
    report.format = detectForeignFormat(bytes);
    const auto refuse = [&](std::string reason) {
        report.table.result = LessonReadResult::WrongFormat;
        report.reason = std::move(reason);
        return report;
    };
    std::vector<ImportedPair> pairs;
    // Some lists say UTF-8 and are written in the Windows code page (as some of Debian's KVTML
    // files are); as with tables, text that is no UTF-8 is read as Windows-1252, and said so.
    const char* encoding = nullptr;
    if (report.format != ForeignFormat::Text && !isValidUtf8(bytes) && declaresUtf8(bytes)) {
        encoding = "windows-1252";
        report.readAsWindows1252 = true;
    }
    try {
        if (report.format == ForeignFormat::Kvtml) {
            KvtmlReader reader;
            if (!reader.parse(bytes, report.reason, encoding)) return refuse(report.reason);
            if (!reader.sawRoot) return refuse("kein KVTML-Wurzelelement <kvtml>");
            report.pairsInFile = reader.entries.size();
            pairs = kvtmlPairs(reader, report);
        } else if (report.format == ForeignFormat::Pauker) {
            PaukerReader reader;
            if (!reader.parse(bytes, report.reason, encoding)) return refuse(report.reason);
            report.pairsInFile = reader.cards.size();
            pairs.reserve(reader.cards.size());
            for (std::size_t i = 0; i < reader.cards.size(); ++i)
                pairs.push_back({i + 1, std::move(reader.cards[i])});
        } else {
            pairs = textPairs(bytes, report);
        }
    } catch (const std::bad_alloc&) {
        report.table.result = LessonReadResult::TooLarge;
        return report;
    }
    report.table = appendTermPairs(pairs, chain, listener, limits);
    if (report.table.result == LessonReadResult::TooLarge) {
        report.moreTranslations = 0;
        report.mediaLeftOut = 0;
    }
    return report;
}

} // namespace

std::uint64_t foreignByteLimit(const LessonReadLimits& limits)
{
    return tableEntryLimit(limits) * kForeignBytesPerEntry;
}

ForeignFormat detectForeignFormat(std::string_view bytes)
{
    if (bytes.starts_with(kGzipMagic)) return ForeignFormat::Pauker;
    std::string_view start = bytes.substr(0, 4096);
    if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
    const std::size_t first = start.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || start[first] != '<') return ForeignFormat::Text;
    // The root element: the first "<" that opens no declaration, comment or processing
    // instruction within the start.
    for (std::size_t pos = start.find('<'); pos != std::string_view::npos;
         pos = start.find('<', pos + 1)) {
        if (pos + 1 >= start.size()) break;
        const char next = start[pos + 1];
        if (next == '?' || next == '!') continue;
        const std::string_view root = start.substr(pos + 1);
        if (root.starts_with("Lesson")) return ForeignFormat::Pauker;
        return ForeignFormat::Kvtml; // an XML file of another kind is refused by its root
    }
    return ForeignFormat::Kvtml;
}

ForeignReadReport readForeignBytes(std::string_view bytes, EntryChain& chain,
                                   LessonReadListener* listener, const LessonReadLimits& limits)
{
    const std::uint64_t maxBytes = foreignByteLimit(limits);
    ForeignReadReport report;
    if (!bytes.starts_with(kGzipMagic)) {
        if (bytes.size() > maxBytes) {
            report.format = detectForeignFormat(bytes);
            report.table.result = LessonReadResult::TooLarge;
            return report;
        }
        return readDecoded(bytes, chain, listener, limits);
    }
    std::string unpacked;
    Unpacked outcome = Unpacked::Broken;
    try {
        outcome = gunzip(bytes, maxBytes, unpacked);
    } catch (const std::bad_alloc&) {
        outcome = Unpacked::TooLarge;
    }
    report.format = ForeignFormat::Pauker;
    if (outcome == Unpacked::TooLarge) {
        report.table.result = LessonReadResult::TooLarge;
        return report;
    }
    if (outcome == Unpacked::Broken) {
        report.table.result = LessonReadResult::WrongFormat;
        report.reason = "gzip-Daten beschädigt";
        return report;
    }
    // Pauker packs its XML only; anything else packed (twice packed, a text) is no Pauker file.
    if (detectForeignFormat(unpacked) != ForeignFormat::Pauker ||
        unpacked.starts_with(kGzipMagic)) {
        report.table.result = LessonReadResult::WrongFormat;
        report.reason = "gepackt, aber keine Pauker-Lektion";
        return report;
    }
    return readDecoded(unpacked, chain, listener, limits);
}

ForeignReadReport readForeignFile(const std::string& path, EntryChain& chain,
                                  LessonReadListener* listener, const LessonReadLimits& limits)
{
    ForeignReadReport report;
    std::string bytes;
    // A packed file is smaller than what it unpacks to; the same limit holds for both.
    report.table.result = readImportFile(path, foreignByteLimit(limits), bytes);
    if (report.table.result != LessonReadResult::Read) return report;
    try {
        return readForeignBytes(bytes, chain, listener, limits);
    } catch (const std::bad_alloc&) { // the format's own look at the bytes, before any pair
        report.table.result = LessonReadResult::TooLarge;
        return report;
    }
}

std::string foreignLimitText(const LessonReadLimits& limits)
{
    // With the German thousands separator: 2.000.000.
    const auto german = [](std::uint64_t n) {
        std::string count = std::to_string(n);
        for (std::size_t i = count.size(); i > 3; i -= 3)
            count.insert(i - 3, 1, '.');
        return count;
    };
    return "Eine Datei anderer Vokabelprogramme wird mit höchstens " +
           german(tableEntryLimit(limits)) + " Einträgen und " +
           german(foreignByteLimit(limits) / 1'000'000) + " MB (entpackt) eingelesen.";
}

bool opensAsForeign(const std::string& path)
{
    const std::string_view name = path;
    const bool named = endsWithIgnoringCase(name, ".kvtml") || endsWithIgnoringCase(name, ".pau") ||
                       endsWithIgnoringCase(name, ".pau.gz");
    if (!named && !endsWithIgnoringCase(name, ".txt")) return false;
    std::string start;
    // Unreadable: the name decides, and reading it then says why it cannot be read.
    if (!readFilePrefix(path, 64, start)) return named;
    // A lesson is known by its magic field whatever its name.
    if (start.size() > kLessonMagic.size() && start.starts_with(kLessonMagic) &&
        start[kLessonMagic.size()] == '\0')
        return false;
    if (named) return true;
    if (start.starts_with("\xEF\xBB\xBF")) start.erase(0, 3);
    return isAnkiHeader(start.substr(0, start.find('\n')));
}

std::string foreignReportText(const ForeignReadReport& report)
{
    const TableReadReport& t = report.table;
    const char* place = report.format == ForeignFormat::Kvtml    ? "Eintrag "
                        : report.format == ForeignFormat::Pauker ? "Karte "
                                                                 : "Zeile ";
    std::string text = placeCount(t.rowsTaken, "Eintrag", "Einträge") + " übernommen.";
    const auto more = [&](std::size_t total, std::size_t listed) {
        if (total > listed) text += "\nund " + std::to_string(total - listed) + " weitere.";
    };
    if (t.refusedRows > 0) {
        text += "\n" + placeCount(t.refusedRows, "Eintrag", "Einträge") + " nicht übernommen:";
        for (const RefusedRow& r : t.refused)
            text += "\n" + (place + std::to_string(r.row)) + ": " + r.reason;
        more(t.refusedRows, t.refused.size());
    }
    if (t.tidiedCells > 0) {
        text += "\n" + placeCount(t.tidiedCells, "Begriff", "Begriffe") +
                " bereinigt, wie getippte Begriffe:";
        for (const TidiedCell& c : t.tidied)
            text +=
                "\n" + (place + std::to_string(c.row)) + ": „" + c.before + "“ → „" + c.after + "“";
        more(t.tidiedCells, t.tidied.size());
    }
    if (report.moreTranslations > 0)
        text += "\n" + placeCount(report.moreTranslations, "Eintrag", "Einträge") +
                " mit mehr als zwei Sprachen: die ersten beiden übernommen.";
    if (report.readAsWindows1252)
        text += "\nDie Datei ist kein gültiges UTF-8 und wurde als Windows-1252 gelesen.";
    if (report.mediaLeftOut > 0)
        text += "\n" +
                placeCount(report.mediaLeftOut, "Ton- oder Bildverweis", "Ton- und Bildverweise") +
                " ausgelassen.";
    return text;
}
