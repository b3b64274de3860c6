#include "panes/pane_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quay {
namespace {

PaneItem named(std::string name) {
    PaneItem item;
    item.caption = std::move(name);
    return item;
}

struct Recorder {
    std::vector<std::string> events;
    void attach(PaneModel& m) {
        m.onReset = [this] { events.push_back("reset"); };
        m.onInserted = [this](std::size_t f, std::size_t n) {
            events.push_back("ins " + std::to_string(f) + "+" + std::to_string(n));
        };
        m.onRemoved = [this](std::size_t f, std::size_t n) {
            events.push_back("rem " + std::to_string(f) + "+" + std::to_string(n));
        };
        m.onChanged = [this](std::size_t f, std::size_t n) {
            events.push_back("chg " + std::to_string(f) + "+" + std::to_string(n));
        };
    }
};

TEST(PaneModel, UpdateBracketCollapsesABulkLoadIntoOneReset) {
    PaneModel model;
    Recorder rec;
    rec.attach(model);
    model.beginUpdate();
    model.beginUpdate();
    for (int i = 0; i < 1000; ++i)
        model.add(named(std::to_string(i)));
    model.endUpdate();
    EXPECT_TRUE(rec.events.empty());
    model.endUpdate();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"reset"}));
    EXPECT_EQ(model.count(), 1000u);
}

// Each change is announced once with the indexes it has; the announcements before a change
// see the rows as they were; a bracket announces its reset before its first change, once.
TEST(PaneModel, AnnouncesEachChangeOnceBeforeAndAfterTheRowsChange) {
    PaneModel model;
    Recorder rec;
    rec.attach(model);
    auto seen = [&](const char* what) {
        rec.events.push_back(std::string(what) + " at " + std::to_string(model.count()));
    };
    model.onAboutToReset = [&] { seen("before reset"); };
    model.onAboutToInsert = [&](std::size_t, std::size_t) { seen("before ins"); };
    model.onAboutToRemove = [&](std::size_t, std::size_t) { seen("before rem"); };
    model.add(named("b"));
    model.add(named("a"));
    model.setSelected(1, true);
    model.setSelected(1, true);  // no change, no announcement
    model.insert(0, named("z"));
    model.remove(1);
    model.assign({named("x"), named("y")});
    model.beginUpdate();
    model.add(named("c"));
    model.clear();
    model.endUpdate();
    model.setCompare([](const PaneItem&, const PaneItem&) { return 0; });
    model.add(named("d"));
    model.add(named("e"));
    model.setSortEnabled(true);
    model.clear();
    EXPECT_EQ(rec.events, (std::vector<std::string>{
                              "before ins at 0",   "ins 0+1", "before ins at 1", "ins 1+1",
                              "chg 1+1",  // the selection, once
                              "before ins at 2",   "ins 0+1", "before rem at 3", "rem 1+1",
                              "before reset at 2", "reset",  // the assign
                              "before reset at 2", "reset",  // the bracket
                              "before ins at 0",   "ins 0+1", "before ins at 1", "ins 1+1",
                              "before reset at 2", "reset",  // the sort
                              "before rem at 2",   "rem 0+2"}));
}

TEST(PaneModel, SortsOnlyWhileEnabledAndKeepsSelection) {
    PaneModel model;
    for (const char* n : {"c", "a", "b"})
        model.add(named(n));
    model.setSelected(0, true);
    model.setCompare(
        [](const PaneItem& a, const PaneItem& b) { return a.caption.compare(b.caption); });
    model.sort();
    EXPECT_EQ(model.item(0).caption, "c");
    model.setSortEnabled(true);
    EXPECT_EQ(model.item(0).caption, "a");
    EXPECT_EQ(model.firstSelected(), 2);
    EXPECT_EQ(model.selectedIndexes(), std::vector<std::size_t>{2});
}

}  // namespace
}  // namespace quay
