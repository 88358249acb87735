#include "schedule/ui/SchedulePanel.h"

#include "base/TimeText.h"
#include "widgets/TimeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "widgets/ComboBoxes.h"
#include "widgets/WrapWidth.h"

namespace tarnwick {
namespace {

constexpr int kRandomChoices = 99;
constexpr std::array<const char*, 7> kDayLabels = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                   "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 4> kOrdinals = {"first", "second", "third", "fourth"};
// The heading elements as they stand left to right over the eight columns.
constexpr std::array<int, 8> kHeadingElements = {0, 1, 2, 5, 3, 6, 4, 7};

struct BoxPlace {
    int weekday, pair, half;
};
BoxPlace PlaceOf(int i) {
    return {i / 8, (i / 2) % 4, i % 2};
}

const QStringList& IntervalLabels() {
    static const QStringList labels = [] {
        QStringList list;
        for (int r = 1; r <= kRandomChoices; ++r) list << QString::number(r);
        return list;
    }();
    return labels;
}

} // namespace

SchedulePanel::SchedulePanel(ITimetableCommands& engine, QWidget* parent)
    : QGroupBox(QStringLiteral("Schedule"), parent), engine_(engine) {
    setObjectName(QStringLiteral("frmSchedule"));
    // The window opens at the size it keeps: until the page is built it claims the width of its
    // grid, measured on one row of the same boxes.
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(BuildGrid(1));
    setMinimumWidth(minimumSizeHint().width());
    delete layout();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    timeBoxes_ = {};
    randomBoxes_ = {};
}

// The page's boxes cost more than the rest of the window, so they wait until it is first shown.
void SchedulePanel::Build() {
    if (deviceBox_) return;
    setMinimumWidth(0);
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    deviceBox_ = MakeEditableCombo(this, QStringLiteral("cboDevice"), DeviceLabels(), QStringLiteral("A1"));
    SetSpokenName(deviceBox_, QStringLiteral("Device"));
    deviceName_ = new QLabel(QStringLiteral("Device"), this);
    deviceName_->setObjectName(QStringLiteral("lblDevice"));
    deviceName_->setTextFormat(Qt::PlainText); // a name shows as typed, "<b>" and all
    deviceName_->setMinimumWidth(140);
    auto* lblRandomize = new QLabel(QStringLiteral("Randomize Time (1 to 99 minutes)"), this);
    lblRandomize->setObjectName(QStringLiteral("lblRandomize"));
    lblRandomize->setWordWrap(true);
    // Two lines high, as wide as that takes in the font shown.
    lblRandomize->setFixedWidth(WidthForLines(lblRandomize->fontMetrics(), lblRandomize->text(), 2));
    intervalBox_ = MakeEditableCombo(this, QStringLiteral("cboRandomTime"), IntervalLabels(), QString());
    lblRandomize->setBuddy(intervalBox_);
    top->addWidget(deviceBox_);
    top->addWidget(deviceName_);
    top->addStretch(1);
    top->addWidget(lblRandomize);
    top->addWidget(intervalBox_);

    outer->addLayout(BuildGrid(kWeekdayCount));
    auto* note = new QLabel(QStringLiteral("Note: Check the check box to the left of the On or Off time to "
                                           "add a random interval to the time"),
                            this);
    note->setObjectName(QStringLiteral("lblRandomizeNote"));
    note->setWordWrap(true);
    outer->addWidget(note);
    outer->addStretch(1);

    // Every keystroke and every pick from the list runs the handler.
    connect(deviceBox_, &QComboBox::editTextChanged, this, &SchedulePanel::Refresh);
    connect(deviceBox_, &QComboBox::activated, this, &SchedulePanel::Refresh);
    const auto intervalChanged = [this] { engine_.SetRandomInterval(IntervalInBox()); };
    connect(intervalBox_, &QComboBox::editTextChanged, this, intervalChanged);
    connect(intervalBox_, &QComboBox::activated, this, intervalChanged);
    if (intervalShown_) ShowInterval();
}

// The headings, the day labels and the boxes of the first `boxRows` days.
QGridLayout* SchedulePanel::BuildGrid(int boxRows) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    for (int column = 0; column < 8; ++column) {
        const int element = kHeadingElements[column];
        auto* heading = new QLabel(column % 2 ? QStringLiteral("Off") : QStringLiteral("On"), this);
        heading->setObjectName(QStringLiteral("lblOnOff(%1)").arg(element));
        grid->addWidget(heading, 0, 1 + column * 2);
    }
    // Rows top to bottom are Sunday .. Saturday; boxes are created in reading order.
    for (int w = 0; w < kWeekdayCount; ++w) {
        const int labelIndex = (w + 6) % 7;
        auto* day = new QLabel(QString::fromLatin1(kDayLabels[labelIndex]), this);
        day->setObjectName(QStringLiteral("lblDayOfTheWeek(%1)").arg(labelIndex));
        grid->addWidget(day, 1 + w, 0);
        if (w >= boxRows) continue;
        for (int column = 0; column < 8; ++column) {
            const int i = 8 * w + column;
            const BoxPlace place = PlaceOf(i);
            const QString what =
                QStringLiteral("%1, %2 %3 time")
                    .arg(QString::fromLatin1(kWeekdayNames[w]), QString::fromLatin1(kOrdinals[place.pair]),
                         place.half ? QStringLiteral("off") : QStringLiteral("on"));
            auto* box = new TimeBox(this);
            box->setObjectName(QStringLiteral("mebOnOff(%1)").arg(i));
            box->setAccessibleName(what);
            auto* shift = new QCheckBox(this);
            shift->setObjectName(QStringLiteral("chkRandom(%1)").arg(i));
            shift->setAccessibleName(QStringLiteral("Randomize ") + what);
            grid->addWidget(box, 1 + w, 1 + column * 2);
            grid->addWidget(shift, 1 + w, 2 + column * 2);
            connect(box, &TimeBox::focusLeft, this, [this, i] { TimeLeft(i, DeviceInBox()); });
            connect(shift, &QCheckBox::toggled, this, [this, i](bool checked) { RandomClicked(i, checked); });
            timeBoxes_[i] = box;
            randomBoxes_[i] = shift;
        }
    }
    return grid;
}

void SchedulePanel::ShowDevice(int device) {
    Build();
    deviceBox_->setCurrentIndex(device);
    Refresh(); // the same device again changes no index
}

std::int16_t SchedulePanel::DeviceInBox() const {
    return static_cast<std::int16_t>(TakenIndex(deviceBox_));
}

std::chrono::minutes SchedulePanel::IntervalInBox() const {
    return std::chrono::minutes{TakenIndex(intervalBox_) + 1};
}

void SchedulePanel::ShowInterval() {
    intervalShown_ = true;
    // Unbuilt, the page still holds the program to the interval its box would take.
    if (!intervalBox_) {
        engine_.SetRandomInterval(std::chrono::minutes{
            TakenIndex(IntervalLabels(), QString::number(engine_.RandomInterval().count())) + 1});
        return;
    }
    const QString text = QString::number(engine_.RandomInterval().count());
    if (intervalBox_->currentText() == text)
        engine_.SetRandomInterval(IntervalInBox());
    else
        intervalBox_->setEditText(text);
    // An interval the list does not hold shows as the one it becomes.
    ShowTakenItem(intervalBox_);
}

void SchedulePanel::StoreTypedTimes() {
    if (!deviceBox_) return; // nothing typed on a page never shown
    for (int i = 0; i < kScheduleBoxCount; ++i)
        if (timeBoxes_[i]->TakeTyped()) TimeLeft(i, shownDevice_);
}

void SchedulePanel::Refresh() {
    Build();
    // The device box may already name another device; what was typed belongs to the one shown.
    StoreTypedTimes();
    const int d = DeviceInBox();
    shownDevice_ = d;
    deviceName_->setText(QString::fromStdString(NameOf(engine_.Names(), d)));
    displayUpdating_ = true;
    for (int w = 0; w < kWeekdayCount; ++w) {
        for (int p = 0; p < kPairCount; ++p) {
            const int i = 8 * w + 2 * p;
            const SchedulePair& r = engine_.Weekly()[d][w][p];
            for (const bool on : {true, false}) {
                const ScheduleTime& half = r.Half(on);
                const int box = on ? i : i + 1;
                timeBoxes_[box]->SetBoxText(half.enabled ? QString::fromStdString(FormatBoxTime(half.time))
                                                         : kEmptyBoxText);
                randomBoxes_[box]->setChecked(half.randomised);
            }
        }
    }
    displayUpdating_ = false;
}

void SchedulePanel::RandomClicked(int i, bool checked) {
    if (displayUpdating_) return;
    const BoxPlace at = PlaceOf(i);
    engine_.SetRandomised(DeviceInBox(), at.weekday, at.pair, at.half == 0, checked);
}

void SchedulePanel::TimeLeft(int i, int device) {
    const BoxPlace at = PlaceOf(i);
    const auto t = ParseBoxTime(timeBoxes_[i]->BoxText().toStdString());
    engine_.SetTime(device, at.weekday, at.pair, at.half == 0, t);
    if (!t) {
        if (const QString why = WhyNotATime(timeBoxes_[i]->BoxText()); !why.isEmpty())
            emit timeRefused(timeBoxes_[i]->accessibleName() + QStringLiteral(" not taken: ") + why);
        timeBoxes_[i]->SetBoxText(kEmptyBoxText);
    }
}

} // namespace tarnwick
