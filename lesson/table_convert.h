#pragma once

#include <iosfwd>

class EntryChain;
#include <string>

// The headless converter behind "kaz-trainer --convert IN OUT", for scripts: a lesson file
// becomes a table or a table a lesson, each side's kind told by its extension (.csv, .tsv and
// .txt are tables, anything else is a lesson; tables are written as CSV only; an input that
// begins with a lesson's magic field is a lesson whatever its name). Tables are read
// and written exactly as the window imports and exports them. Another trainer's file
// (opensAsForeign: KVTML, Pauker, an Anki text export) is read as the open dialog reads it,
// and the count of its entries taken is always told.
//
// Exit status: 0 when every row was taken and the output written; 1 when the output was
// written but rows were refused; 2 when nothing was written: the input cannot be read, is too
// large or holds nothing to take (no entry, every row refused), the output is the input itself
// (by any name or link), or it cannot be written. Refused rows and tidied cells are listed on
// err as the window's message lists them, each line naming the input. Messages go to err in
// German, UTF-8.
inline constexpr int kConvertAllTaken = 0;
inline constexpr int kConvertRowsRefused = 1;
inline constexpr int kConvertFailed = 2;
int convertLessonFile(const std::string& in, const std::string& out, std::ostream& err);
// The reading half, for writers of other outputs (the PDF word list): IN read into the chain
// with its report on err. kConvertFailed when nothing is to be written (the chain then holds
// nothing to write), else the status the conversion ends with once written.
int readConvertInput(const std::string& in, const std::string& out, EntryChain& chain,
                     std::ostream& err);
