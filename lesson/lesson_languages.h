#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The languages of a lesson's two sides, for reading its terms aloud. A lesson file holds only
// its terms, so the languages are kept beside it, in a small file of the working folder
// ("SPRACHEN.TXT"), by the lesson's file name, together with the option "Fragen vorlesen".
//
// A language is an ISO 639-1 code ("de", "en", "la"); empty: not chosen yet.

inline constexpr const char* kLessonLanguagesFileName = "SPRACHEN.TXT";

using SideLanguages = std::array<std::string, 2>;

// A language a lesson can hold: its letters are in Windows-1252.
struct LessonLanguage {
    const char* code; // ISO 639-1
    const char* name; // its German name, UTF-8
};
// The languages a lesson can hold, German first, then by name.
const std::vector<LessonLanguage>& lessonLanguages();
// The German name of a language of lessonLanguages(), UTF-8; the code itself for another.
std::string languageName(std::string_view code);
// The code of a speech service's language tag ("en-GB", "pt_BR", "nb" -> "en", "pt", "nb");
// lower case, up to the first '-' or '_'.
std::string languageCode(std::string_view tag);

// The sample lessons that come with the trainer, by file name (the last part of the path,
// any case): ENGLISCH.LSN German / English, FRANZOES.LSN German / French, LATEIN.LSN
// German / Latin. Nothing for another name.
std::optional<SideLanguages> sampleLessonLanguages(std::string_view path);

// The language a side probably is, from the lesson's file name (a language's German name in
// it, "SPANISCH.LSN") and then from the letters of its terms (Windows-1252 bytes: "ñ"
// Spanish, "ç" or "œ" French, "å" or "ø" Danish, "ã" or "õ" Portuguese, "ß" or an umlaut
// German). The first side is German unless its letters say otherwise; the second side is
// English when nothing speaks for another. Only codes of lessonLanguages().
std::string guessLanguage(std::size_t side, std::string_view lessonPath,
                          const std::vector<std::string>& terms);

// The store: one line per lesson, the most recently used last, at most kMaxLessons of them.
//   KAZ-TRAINER Sprachen 1
//   vorlesen<TAB>0|1
//   <code 1><TAB><code 2><TAB><lesson path bytes>
// A line that does not fit this is left out on reading; a path with a tab or line break is
// never stored.
class LessonLanguageStore {
public:
    static constexpr std::size_t kMaxLessons = 5000;
    static constexpr std::size_t kMaxFileBytes = 4u * 1024u * 1024u;

    explicit LessonLanguageStore(std::string file = kLessonLanguagesFileName)
        : file_(std::move(file))
    {}

    // Reads the file (through the safe open); a missing, unreadable or strange file gives an
    // empty store. False when the file exists but could not be read.
    bool load();
    // Writes the file (atomic replace); false on failure, errno says why.
    bool save() const;

    // The languages kept for a lesson; both empty for one never kept.
    SideLanguages find(const std::string& lessonPath) const;
    // Keeps the languages for a lesson (moved to the end as the most recent); a path that
    // cannot be stored, or languages both empty, are not kept. True when something changed.
    bool keep(const std::string& lessonPath, const SideLanguages& languages);

    bool readAloud() const { return readAloud_; }
    void setReadAloud(bool on) { readAloud_ = on; }

    std::size_t size() const { return entries_.size(); }
    const std::string& file() const { return file_; }

    // The file's bytes, and the store read back from them.
    std::string toBytes() const;
    void fromBytes(std::string_view bytes);

private:
    struct Entry {
        std::string path;
        SideLanguages languages;
    };
    std::string file_;
    std::vector<Entry> entries_;
    bool readAloud_ = false;
};
