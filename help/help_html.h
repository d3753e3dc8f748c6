#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Bounds on a topic's HTML that keep the renderer fast. Qt lays out nested elements at a cost
// that grows with the depth (nested tables: about tenfold per four levels), and makes a full
// grid of every table, so wide spans or one long row times many short rows cost millions of
// cells; a help file is checked against these bounds before any of its text reaches the
// renderer. The shipped file stays far below them (depth 4, no spans, tables of 30 cells).

// Elements open inside each other at one place. Every element but br, hr, img and meta counts,
// unknown ones too; a p, li, td (and the like) opened right inside one of its kind replaces it.
inline constexpr std::size_t kMaxHtmlNesting = 32;
// Tables inside tables.
inline constexpr std::size_t kMaxHtmlTableNesting = 4;
// Largest colspan or rowspan value.
inline constexpr unsigned kMaxHtmlSpan = 20;
// Cells of all tables of a topic together, counted as Qt lays them out: rows times the widest
// row, with the empty places that spans and short rows leave.
inline constexpr unsigned long long kMaxHtmlTableCells = 10000;

struct HtmlFault {
    std::size_t offset = 0; // byte offset of the offending tag in the checked text
    std::string message;    // German, for the reader
};

// The first place where the HTML exceeds a bound; nothing when it stays within all of them.
// Any text is accepted as input: unclosed tags, stray "<" and broken attributes included.
std::optional<HtmlFault> checkHelpHtml(std::string_view html);
