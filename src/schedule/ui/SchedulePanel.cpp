#include "schedule/ui/SchedulePanel.h"

#include "base/TimeText.h"
#include "schedule/RandomOffset.h"
#include "widgets/TimeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "widgets/ComboBoxes.h"
#include "widgets/Detach.h"

namespace tarnwick {
namespace {

constexpr int kRandomChoices = 99;
constexpr std::array<const char*, 7> kDayLabels = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                   "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 4> kOrdinals = {"first", "second", "third", "fourth"};
// The heading elements as they stand left to right over the eight columns.
constexpr std::array<int, 8> kHeadingElements = {0, 1, 2, 5, 3, 6, 4, 7};

struct BoxPlace {
    int weekday, pair, half;
};
BoxPlace PlaceOf(int i) {
    return {i / 8, (i / 2) % 4, i % 2};
}

} // namespace

SchedulePanel::SchedulePanel(AppState& state, IRandom& random, QWidget* parent)
    : QGroupBox(QStringLiteral("Schedule"), parent), state_(state), random_(random) {
    setObjectName(QStringLiteral("frmSchedule"));
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    cboDevice_ = MakeEditableCombo(this, QStringLiteral("cboDevice"), DeviceLabels(), QStringLiteral("A1"));
    cboDevice_->setAccessibleName(QStringLiteral("Device"));
    lblDevice_ = new QLabel(QStringLiteral("Device"), this);
    lblDevice_->setObjectName(QStringLiteral("lblDevice"));
    lblDevice_->setTextFormat(Qt::PlainText); // a name shows as typed, "<b>" and all
    lblDevice_->setMinimumWidth(140);
    auto* lblRandomize = new QLabel(QStringLiteral("Randomize Time (1 to 99 minutes)"), this);
    lblRandomize->setObjectName(QStringLiteral("lblRandomize"));
    lblRandomize->setWordWrap(true);
    lblRandomize->setMaximumWidth(180);
    QStringList intervals;
    for (int r = 1; r <= kRandomChoices; ++r) intervals << QString::number(r);
    cboRandomTime_ = MakeEditableCombo(this, QStringLiteral("cboRandomTime"), intervals, QString());
    lblRandomize->setBuddy(cboRandomTime_);
    top->addWidget(cboDevice_);
    top->addWidget(lblDevice_);
    top->addStretch(1);
    top->addWidget(lblRandomize);
    top->addWidget(cboRandomTime_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    outer->addLayout(grid);
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
            connect(box, &TimeBox::focusLeft, this, [this, i] { TimeLeft(i, DeviceIndex()); });
            connect(shift, &QCheckBox::toggled, this,
                    [this, i](bool checked) { RandomClicked(i, checked); });
            mebOnOff_[i] = box;
            chkRandom_[i] = shift;
        }
    }
    auto* note = new QLabel(QStringLiteral("Note: Check the check box to the left of the On or Off time to "
                                           "add a random interval to the time"),
                            this);
    note->setObjectName(QStringLiteral("lblRandomizeNote"));
    note->setWordWrap(true);
    outer->addWidget(note);
    outer->addStretch(1);

    // Every keystroke and every pick from the list runs the handler.
    connect(cboDevice_, &QComboBox::editTextChanged, this, &SchedulePanel::UpdateScheduleDisplay);
    connect(cboDevice_, &QComboBox::activated, this, &SchedulePanel::UpdateScheduleDisplay);
    const auto intervalChanged = [this] { state_.RandomInterval = RandomIndex(); };
    connect(cboRandomTime_, &QComboBox::editTextChanged, this, intervalChanged);
    connect(cboRandomTime_, &QComboBox::activated, this, intervalChanged);
}

std::int16_t SchedulePanel::DeviceIndex() const {
    const int i = ExactIndex(cboDevice_);
    return static_cast<std::int16_t>(i < 0 ? 0 : i);
}

std::int16_t SchedulePanel::RandomIndex() const {
    const int i = ExactIndex(cboRandomTime_);
    return static_cast<std::int16_t>(i < 0 ? 1 : i + 1);
}

void SchedulePanel::ShowRandomInterval() {
    const QString text = QString::number(state_.RandomInterval);
    if (cboRandomTime_->currentText() == text)
        state_.RandomInterval = RandomIndex();
    else
        cboRandomTime_->setEditText(text);
}

void SchedulePanel::StoreTypedTimes() {
    for (int i = 0; i < kScheduleBoxCount; ++i)
        if (mebOnOff_[i]->TakeTyped()) TimeLeft(i, shownDevice_);
}

void SchedulePanel::UpdateScheduleDisplay() {
    // The device box may already name another device; what was typed belongs to the one shown.
    StoreTypedTimes();
    const int d = DeviceIndex();
    shownDevice_ = d;
    lblDevice_->setText(QString::fromStdString(state_.DeviceNames[d / kUnitCount][d % kUnitCount]));
    state_.DisplayUpdating = kTrue;
    for (int w = 0; w < kWeekdayCount; ++w) {
        for (int p = 0; p < kPairCount; ++p) {
            const int i = 8 * w + 2 * p;
            const SchedulePair& r = state_.WeeklySchedule[d][w][p];
            mebOnOff_[i]->SetBoxText(r.OnEnabled ? QString::fromStdString(FormatBoxTime(r.OnTime))
                                                 : QStringLiteral("__:__"));
            chkRandom_[i]->setChecked(r.OnRandomOffset != 0);
            mebOnOff_[i + 1]->SetBoxText(r.OffEnabled ? QString::fromStdString(FormatBoxTime(r.OffTime))
                                                      : QStringLiteral("__:__"));
            chkRandom_[i + 1]->setChecked(r.OffRandomOffset != 0);
        }
    }
    state_.DisplayUpdating = kFalse;
}

void SchedulePanel::RandomClicked(int i, bool checked) {
    if (state_.DisplayUpdating) return;
    const BoxPlace at = PlaceOf(i);
    SchedulePair& r = state_.WeeklySchedule[DeviceIndex()][at.weekday][at.pair];
    const std::int16_t offset = checked ? RandomOffsetDraw(state_.RandomInterval, random_) : std::int16_t{0};
    (at.half ? r.OffRandomOffset : r.OnRandomOffset) = offset;
}

void SchedulePanel::TimeLeft(int i, int device) {
    const BoxPlace at = PlaceOf(i);
    SchedulePair& r = state_.WeeklySchedule[device][at.weekday][at.pair];
    DateTime& time = at.half ? r.OffTime : r.OnTime;
    std::int16_t& enabled = at.half ? r.OffEnabled : r.OnEnabled;
    if (const auto t = ParseBoxTime(mebOnOff_[i]->BoxText().toStdString())) {
        time = *t;
        enabled = kTrue;
    } else {
        time = 0;
        enabled = kFalse;
        mebOnOff_[i]->SetBoxText(QStringLiteral("__:__"));
    }
}

SchedulePanel::~SchedulePanel() {
    DetachChildren(this);
}

} // namespace tarnwick
