#include "topic_history.h"

void TopicHistory::visit(TopicNumber topic)
{
    if (current() == topic) return;
    if (!visits_.empty()) visits_.resize(position_ + 1);
    visits_.push_back(topic);
    if (visits_.size() > kMaxHelpHistory) visits_.erase(visits_.begin());
    position_ = visits_.size() - 1;
}

void TopicHistory::clear()
{
    visits_.clear();
    position_ = 0;
}

std::optional<TopicNumber> TopicHistory::current() const
{
    if (visits_.empty()) return std::nullopt;
    return visits_[position_];
}

std::optional<TopicNumber> TopicHistory::back()
{
    if (canGoBack()) --position_;
    return current();
}

std::optional<TopicNumber> TopicHistory::forward()
{
    if (canGoForward()) ++position_;
    return current();
}
