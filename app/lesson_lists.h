#pragma once

#include "lesson_list_column.h"
#include "lesson_list_model.h"

#include <array>
#include <functional>
#include <vector>

#include <QObject>

class QFont;
class QListView;
class QWidget;
class strWort;

// The two list boxes of the lesson: the first and the second terms of the same rows (the
// entries themselves), scrolling together, one row selected in both. A row the user picks
// (mouse, keys in a list) is reported with the list it was picked in; what the program itself
// does to the rows and the selection is not.
class LessonLists {
public:
    LessonLists() = default;
    // Makes the two list boxes as children of parent (first terms, then second terms), before
    // any other use; picked hears of the rows the user picks.
    void makeViews(QWidget* parent, const QFont& font, std::function<void(QListView*)> picked);

    LessonLists(const LessonLists&) = delete;
    LessonLists& operator=(const LessonLists&) = delete;

    QListView* view(int column) const { return views_[static_cast<std::size_t>(column)]; }
    LessonListModel& model() { return model_; }
    void setVisible(bool visible);

    // Inserts the rows of an entry (null: the new-entry row) and selects them.
    void add(strWort* entry);
    // Takes an entry's rows out; before the entry is deleted or its first term changes.
    void remove(const strWort* entry);
    // Selects a row in both lists and scrolls it into view; a row there is not: no selection.
    void select(int row);
    // Every row goes, the new-entry row included.
    void clear();

    // While a lesson is read: the entries are collected and put in the lists at once.
    void collect(strWort* entry) { collected_.push_back(entry); }
    // Returns how many were added.
    std::size_t addCollected();
    void dropCollected() { collected_ = {}; }

private:
    // Set while the program itself changes the lists, whose selection signals then are no
    // user's choice of a row.
    struct Sync {
        explicit Sync(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
        ~Sync() { flag_ = before_; }
        bool& flag_;
        bool before_;
    };

    LessonListModel model_;
    LessonListColumn firstTerms_{&model_, 0};  // what the first list shows
    LessonListColumn secondTerms_{&model_, 1}; // what the second list shows
    std::array<QListView*, 2> views_{};
    std::function<void(QListView*)> picked_;
    bool syncing_ = false;
    std::vector<strWort*> collected_;
    QObject connections_; // the lists' signal connections end with it, before the model
};
