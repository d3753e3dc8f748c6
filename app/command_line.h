#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The trainer's command line before any window exists. Its own options begin with "--"; Qt
// takes its own (such as "-platform offscreen" or "--style Fusion", one dash or two, with their
// values) when the application object is made, so those are passed on untouched.

// Whether arg is one of Qt's own options; valueFollows tells whether it takes the next
// argument as its value ("--platform offscreen", but not "--style=Fusion").
bool isQtOption(const std::string& arg, bool& valueFollows);

// The index of the first argument that is one of the trainer's options or an unknown one: it
// begins with "--", names no existing file (isFile), and is none of Qt's options or their
// values. A Qt option that wants a value but stands last is such an argument too. args.size()
// when there is none.
std::size_t firstTrainerOption(const std::vector<std::string>& args,
                               const std::function<bool(const std::string&)>& isFile);
