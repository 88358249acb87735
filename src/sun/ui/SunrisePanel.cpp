#include "sun/ui/SunrisePanel.h"

#include "base/TimeText.h"
#include "schedule/RandomOffset.h"
#include "widgets/TimeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

#include "widgets/ComboBoxes.h"
#include "widgets/Detach.h"

namespace tarnwick {
namespace {

QComboBox* MakeCombo(QWidget* parent, const QString& name, const QStringList& items) {
    return MakeEditableCombo(parent, name, items, items.first());
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText); // a device's name shows as typed, "<b>" and all
    return label;
}

} // namespace

SunrisePanel::SunrisePanel(AppState& state, IRandom& random, QWidget* parent)
    : QGroupBox(QStringLiteral("Sunrise and Sunset Scheduling"), parent), state_(state), random_(random) {
    setObjectName(QStringLiteral("frmSunrise"));
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    cboSunriseDevice_ = MakeCombo(this, QStringLiteral("cboSunriseDevice"), DeviceLabels());
    cboSunriseDevice_->setAccessibleName(QStringLiteral("Device"));
    lblSunriseDevice_ = MakeLabel(this, "lblSunriseDevice", QStringLiteral("Device"));
    top->addWidget(cboSunriseDevice_);
    top->addWidget(lblSunriseDevice_, 1);

    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    // Heading rows: the upper block for sunrise, the lower for sunset.
    const struct {
        std::array<const char*, 4> names;
        const char* reference;
        const char* sideName;
        int gridRow;
    } blocks[2] = {{{"Label1", "Label3", "Label2", "Label4"}, "Sunrise", "lblSunrise", 0},
                   {{"Label8", "Label6", "Label7", "Label5"}, "Sunset", "lblSunset", 3}};
    for (const auto& block : blocks) {
        const QString reference = QString::fromLatin1(block.reference);
        const QStringList texts = {QStringLiteral("When"), QStringLiteral("Offset from ") + reference,
                                   QStringLiteral("Do What"), QStringLiteral("Randomize")};
        for (int c = 0; c < 4; ++c)
            grid->addWidget(MakeLabel(this, block.names[c], texts[c]), block.gridRow, 1 + c);
        grid->addWidget(MakeLabel(this, block.sideName, reference), block.gridRow + 1, 0);
    }

    for (int row = 0; row < kSunSlotCount; ++row) {
        const QString reference = row < 2 ? QStringLiteral("Sunrise") : QStringLiteral("Sunset");
        const QString what = QStringLiteral("%1 row %2, ").arg(reference).arg(row % 2 + 1);
        cboSunriseWhen_[row] =
            MakeCombo(this, QStringLiteral("cboSunriseWhen(%1)").arg(row),
                      {QStringLiteral("At ") + reference, QStringLiteral("Before ") + reference,
                       QStringLiteral("After ") + reference});
        cboSunriseWhen_[row]->setAccessibleName(what + QStringLiteral("when"));
        mebSunriseOffset_[row] = new TimeBox(this);
        mebSunriseOffset_[row]->setObjectName(QStringLiteral("mebSunriseOffset(%1)").arg(row));
        mebSunriseOffset_[row]->setAccessibleName(what + QStringLiteral("offset"));
        cboSunriseAction_[row] =
            MakeCombo(this, QStringLiteral("cboSunriseAction(%1)").arg(row),
                      {QStringLiteral("Nothing"), QStringLiteral("On"), QStringLiteral("Off")});
        cboSunriseAction_[row]->setAccessibleName(what + QStringLiteral("action"));
        chkSunriseRandom_[row] = new QCheckBox(this);
        chkSunriseRandom_[row]->setObjectName(QStringLiteral("chkSunriseRandom(%1)").arg(row));
        chkSunriseRandom_[row]->setAccessibleName(what + QStringLiteral("randomize"));

        const int gridRow = row < 2 ? 1 + row : 2 + row;
        grid->addWidget(cboSunriseWhen_[row], gridRow, 1);
        grid->addWidget(mebSunriseOffset_[row], gridRow, 2);
        grid->addWidget(cboSunriseAction_[row], gridRow, 3);
        grid->addWidget(chkSunriseRandom_[row], gridRow, 4);

        const auto storeWhen = [this, row] {
            state_.SunriseSchedule[SunriseDeviceIndex()][row].When = SunriseWhenIndex(row);
        };
        connect(cboSunriseWhen_[row], &QComboBox::editTextChanged, this, storeWhen);
        connect(cboSunriseWhen_[row], &QComboBox::activated, this, storeWhen);
        const auto storeAction = [this, row] {
            state_.SunriseSchedule[SunriseDeviceIndex()][row].Action = SunriseActionIndex(row);
        };
        connect(cboSunriseAction_[row], &QComboBox::editTextChanged, this, storeAction);
        connect(cboSunriseAction_[row], &QComboBox::activated, this, storeAction);
        connect(mebSunriseOffset_[row], &TimeBox::focusLeft, this,
                [this, row] { OffsetLeft(row, SunriseDeviceIndex()); });
        connect(chkSunriseRandom_[row], &QCheckBox::toggled, this,
                [this, row](bool checked) { RandomClicked(row, checked); });
    }
    grid->setColumnStretch(5, 1);
    outer->addStretch(1);

    connect(cboSunriseDevice_, &QComboBox::editTextChanged, this, &SunrisePanel::UpdateSunriseDisplay);
    connect(cboSunriseDevice_, &QComboBox::activated, this, &SunrisePanel::UpdateSunriseDisplay);
}

std::int16_t SunrisePanel::SunriseDeviceIndex() const {
    return static_cast<std::int16_t>(std::max(0, ExactIndex(cboSunriseDevice_)));
}
std::int16_t SunrisePanel::SunriseWhenIndex(int row) const {
    return static_cast<std::int16_t>(std::max(0, ExactIndex(cboSunriseWhen_[row])));
}
std::int16_t SunrisePanel::SunriseActionIndex(int row) const {
    return static_cast<std::int16_t>(std::max(0, ExactIndex(cboSunriseAction_[row])));
}

void SunrisePanel::StoreTypedTimes() {
    for (int row = 0; row < kSunSlotCount; ++row)
        if (mebSunriseOffset_[row]->TakeTyped()) OffsetLeft(row, shownDevice_);
}

void SunrisePanel::UpdateSunriseDisplay() {
    // The device box may already name another device; what was typed belongs to the one shown.
    StoreTypedTimes();
    const int d = SunriseDeviceIndex();
    shownDevice_ = d;
    lblSunriseDevice_->setText(QString::fromStdString(state_.DeviceNames[d / kUnitCount][d % kUnitCount]));
    state_.DisplayUpdating = kTrue;
    for (int i = 0; i < kSunSlotCount; ++i) {
        // Each box's own handler runs as its text is set and stores the code shown, which
        // is why the record is read afresh for every control.
        const SunriseEvent& r = state_.SunriseSchedule[d][i];
        cboSunriseAction_[i]->setCurrentIndex(r.Action == 0 ? 0 : r.Action == 1 ? 1 : 2);
        cboSunriseWhen_[i]->setCurrentIndex(r.When == 0 ? 0 : r.When == 1 ? 1 : 2);
        chkSunriseRandom_[i]->setChecked(r.Random != 0);
        mebSunriseOffset_[i]->SetBoxText(r.Offset == 0 ? QStringLiteral("__:__")
                                                       : QString::fromStdString(FormatBoxTime(r.Offset)));
    }
    state_.DisplayUpdating = kFalse;
}

void SunrisePanel::OffsetLeft(int row, int device) {
    SunriseEvent& r = state_.SunriseSchedule[device][row];
    if (const auto t = ParseBoxTime(mebSunriseOffset_[row]->BoxText().toStdString())) {
        r.Offset = *t;
    } else {
        r.Offset = 0;
        mebSunriseOffset_[row]->SetBoxText(QStringLiteral("__:__"));
    }
}

void SunrisePanel::RandomClicked(int row, bool checked) {
    if (state_.DisplayUpdating) return;
    state_.SunriseSchedule[SunriseDeviceIndex()][row].Random =
        checked ? RandomOffsetDraw(state_.RandomInterval, random_) : 0;
}

SunrisePanel::~SunrisePanel() {
    DetachChildren(this);
}

} // namespace tarnwick
