// The plan in the window: what an inventory found, grouped by step, in the user's language. A
// list of standard widgets, so that Tab reaches it and a screen reader reads it.
#pragma once

#include "Source/localization/LocalizedStrings.hpp"
#include "Source/run/Inventory.hpp"

class QLabel;
class QTreeWidget;

namespace tavrel::window {

class PlanView {
public:
    /// What the heading says above the list.
    enum class Stage {
        looking,   // the inventory is being taken; the list is empty
        found,     // what is there before a run
        remaining, // what is still there after a run
    };

    /// Fills `heading` and `list` (two columns: the item, its details), whose texts come from
    /// `strings`; both must outlive it.
    PlanView(QLabel* heading, QTreeWidget* list, const LocalizedStrings& strings);

    /// Shows `stage`, and for found and remaining what `inventory` holds: one group per step
    /// with something in it, titled with the step's title, one row per item (a name, and a
    /// readable size, a count or a process id), and a row saying why where the step could not
    /// look. When there is nothing at all, the heading says so and the list is empty.
    void show(Stage stage, const Inventory& inventory = {});

private:
    QLabel* heading_;
    QTreeWidget* list_;
    const LocalizedStrings& strings_;
};

} // namespace tavrel::window
