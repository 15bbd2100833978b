// The plan as a tree of steps and their items.
#include "Source/window/PlanView.hpp"

#include "Source/app/UninstallAlert.hpp"
#include "Source/run/StepTable.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QTreeWidget>

namespace tavrel::window {

namespace {

QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}

// "1 file", "12 files" and the like, with the number as the user's language writes it.
std::string counted(const LocalizedStrings& strings, const char* key, std::uint64_t count) {
    return strings.text(std::string(key) + (count == 1 ? ".one" : ".other"),
                        {QLocale().toString(static_cast<qulonglong>(count)).toStdString()});
}

// What a row says about the item besides its name.
std::string details(const Trace& trace, const LocalizedStrings& strings) {
    switch (trace.kind) {
    case Trace::Kind::keychainItems:
        return counted(strings, "plan.items", static_cast<std::uint64_t>(trace.items.value_or(0)));
    case Trace::Kind::process:
        return strings.text("plan.process", {std::to_string(trace.pid.value_or(0))});
    case Trace::Kind::launcher:
        return strings.text("plan.starts_at_login");
    case Trace::Kind::path:
        if (trace.bytes && trace.files) {
            const QString size = QLocale().formattedDataSize(static_cast<qint64>(*trace.bytes), 1,
                                                             QLocale::DataSizeTraditionalFormat);
            return strings.text("plan.size",
                                {size.toStdString(), counted(strings, "plan.files", *trace.files)});
        }
        return {};
    case Trace::Kind::loginItem:
    case Trace::Kind::defaults:
        return {};
    }
    return {};
}

} // namespace

PlanView::PlanView(QLabel* heading, QTreeWidget* list, const LocalizedStrings& strings)
    : heading_(heading), list_(list), strings_(strings) {
    list_->setHeaderLabels(
        {qtText(strings_.text("plan.column.item")), qtText(strings_.text("plan.column.details"))});
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(false);
}

void PlanView::show(Stage stage, const Inventory& inventory) {
    list_->clear();
    const char* headingKey = stage == Stage::looking     ? "plan.looking"
                             : stage == Stage::remaining ? "plan.remaining"
                             : inventory.clean()         ? "plan.nothing"
                                                         : "plan.found";
    heading_->setText(qtText(strings_.text(headingKey)));
    list_->setAccessibleName(heading_->text());
    for (const StepInventory& seen : inventory.steps) {
        if (seen.clean()) {
            continue;
        }
        auto* group = new QTreeWidgetItem(
            list_, {qtText(UninstallAlert::stepTitle(StepTable::step(seen.step), strings_))});
        group->setFirstColumnSpanned(true);
        QFont bold = group->font(0);
        bold.setBold(true);
        group->setFont(0, bold);
        for (const Trace& trace : seen.traces) {
            auto* row =
                new QTreeWidgetItem(group, {qtText(trace.name), qtText(details(trace, strings_))});
            row->setToolTip(0, row->text(0));
        }
        if (seen.unavailable) {
            auto* row = new QTreeWidgetItem(
                group, {qtText(strings_.text("plan.cannot_look", {*seen.unavailable}))});
            row->setFirstColumnSpanned(true);
            row->setIcon(0, list_->style()->standardIcon(QStyle::SP_MessageBoxWarning));
            row->setToolTip(0, row->text(0));
        }
    }
    list_->expandAll();
}

} // namespace tavrel::window
