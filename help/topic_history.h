#pragma once

#include "help_file.h"

#include <cstddef>
#include <optional>
#include <vector>

// The topics the reader has seen, for the back and forward buttons. Visiting a topic drops
// whatever lay ahead, as in a web browser; visiting the current topic again changes nothing.
// The oldest visits go once more than kMaxHelpHistory are kept.
inline constexpr std::size_t kMaxHelpHistory = 100;

class TopicHistory {
public:
    void visit(TopicNumber topic);
    void clear();

    std::optional<TopicNumber> current() const;
    bool canGoBack() const { return position_ > 0; }
    bool canGoForward() const { return position_ + 1 < visits_.size(); }

    // Move one step and return the topic there; without a step to take, nothing happens and
    // the current topic is returned.
    std::optional<TopicNumber> back();
    std::optional<TopicNumber> forward();

private:
    std::vector<TopicNumber> visits_;
    std::size_t position_ = 0; // index of the current topic when visits_ is not empty
};
