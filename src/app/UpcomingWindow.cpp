#include "app/UpcomingWindow.h"

#include "base/TimeText.h"
#include "x10/CodeTable.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <optional>

namespace tarnwick {
namespace {

QString WhenText(LocalMinute minute) {
    const LocalFields t = FieldsOf(minute);
    return QStringLiteral("%1 %2-%3-%4 %5")
        .arg(QString::fromLatin1(kWeekdayNames[static_cast<std::size_t>(t.weekday)]).left(3))
        .arg(t.year, 4, 10, QLatin1Char('0'))
        .arg(t.month, 2, 10, QLatin1Char('0'))
        .arg(t.day, 2, 10, QLatin1Char('0'))
        .arg(QString::fromStdString(FormatBoxTime(TimeOfDay::Of(minute))));
}

} // namespace

UpcomingWindow::UpcomingWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmUpcoming"));
    setWindowTitle(QStringLiteral("Upcoming Switchings"));
    auto* layout = new QVBoxLayout(this);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("lblUpcoming"));
    note_->setWordWrap(true);
    layout->addWidget(note_);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lstUpcoming"));
    list_->setAccessibleName(QStringLiteral("Upcoming switchings"));
    list_->setHeaderLabels({QStringLiteral("When"), QStringLiteral("Device"), QStringLiteral("Name"),
                            QStringLiteral("Switch"), QStringLiteral("Planned by")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(true);
    note_->setBuddy(list_);
    layout->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const auto row = static_cast<std::size_t>(list_->indexOfTopLevelItem(item));
        if (row < plan_.size()) emit deviceChosen(plan_[row].device, plan_[row].origin != PlanOrigin::Weekly);
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdUpcomingClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::hide);
    layout->addWidget(buttons);
    resize(820, 420);
}

bool UpcomingWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) emit activated();
    return QWidget::event(event);
}

QTreeWidgetItem* UpcomingWindow::RowOf(const PlannedSwitch& s) const {
    return new QTreeWidgetItem(QStringList{WhenText(s.at), QString::fromStdString(DeviceLabel(s.device)),
                                           QString::fromStdString(NameOf(names_, s.device)),
                                           s.on ? QStringLiteral("On") : QStringLiteral("Off"),
                                           QString::fromStdString(PlannedByText(s, randomInterval_))});
}

bool UpcomingWindow::Slide(const std::vector<PlannedSwitch>& plan) {
    // Taking a row off the top costs as much as the rows below it: only for a few.
    constexpr std::size_t kMostGone = 64;
    std::size_t gone = 0;
    while (gone < plan_.size() && gone <= kMostGone && !plan.empty() && !(plan_[gone] == plan.front()))
        ++gone;
    const std::size_t kept = plan_.size() - gone;
    if (gone > kMostGone || kept == 0 || kept > plan.size() ||
        !std::equal(plan_.begin() + static_cast<std::ptrdiff_t>(gone), plan_.end(), plan.begin()))
        return false;
    for (std::size_t i = 0; i < gone; ++i) delete list_->takeTopLevelItem(0);
    QList<QTreeWidgetItem*> rows;
    for (std::size_t i = kept; i < plan.size(); ++i) rows << RowOf(plan[i]);
    list_->addTopLevelItems(rows);
    return true;
}

void UpcomingWindow::Show(std::vector<PlannedSwitch> plan, const DeviceNameTable& names,
                          std::chrono::minutes randomInterval) {
    const bool sameTexts = names == names_ && randomInterval == randomInterval_;
    if (sameTexts && plan == plan_) return;
    // As the minutes go by, switchings leave the top of the week and new ones join its end;
    // the rows between, and what the user selected among them, stay as they are.
    if (sameTexts && Slide(plan)) {
        plan_ = std::move(plan);
        return;
    }
    // Keep the switching the user had selected, and the place in the list.
    QTreeWidgetItem* current = list_->currentItem();
    const int selectedRow = current ? list_->indexOfTopLevelItem(current) : -1;
    std::optional<PlannedSwitch> selected;
    if (selectedRow >= 0 && static_cast<std::size_t>(selectedRow) < plan_.size())
        selected = plan_[static_cast<std::size_t>(selectedRow)];
    const int scrolled = list_->verticalScrollBar()->value();

    plan_ = std::move(plan);
    names_ = names;
    randomInterval_ = randomInterval;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(plan_.size()));
    for (const PlannedSwitch& s : plan_) rows << RowOf(s);
    note_->setText(plan_.empty() ? QStringLiteral("Nothing is planned for the next seven days.")
                                 : QStringLiteral("Switchings planned for the next seven days. Enter or a "
                                                  "double-click shows the device on its page."));
    list_->clear();
    list_->addTopLevelItems(rows);
    for (int column = 0; column < 4; ++column) list_->resizeColumnToContents(column);
    list_->verticalScrollBar()->setValue(scrolled);
    if (selected) {
        const auto found = std::find(plan_.begin(), plan_.end(), *selected);
        if (found != plan_.end())
            list_->setCurrentItem(list_->topLevelItem(static_cast<int>(found - plan_.begin())));
    }
}

} // namespace tarnwick
