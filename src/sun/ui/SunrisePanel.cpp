#include "sun/ui/SunrisePanel.h"

#include "base/TimeText.h"
#include "widgets/TimeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "widgets/ComboBoxes.h"

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

SunrisePanel::SunrisePanel(ISunCommands& engine, QWidget* parent)
    : QGroupBox(QStringLiteral("Sunrise and Sunset Scheduling"), parent), engine_(engine) {
    setObjectName(QStringLiteral("frmSunrise"));
}

// Nine combo boxes cost more than the rest of the window, so they wait until the page is first shown.
void SunrisePanel::Build() {
    if (deviceBox_) return;
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    deviceBox_ = MakeCombo(this, QStringLiteral("cboSunriseDevice"), DeviceLabels());
    SetSpokenName(deviceBox_, QStringLiteral("Device"));
    deviceName_ = MakeLabel(this, "lblSunriseDevice", QStringLiteral("Device"));
    top->addWidget(deviceBox_);
    top->addWidget(deviceName_, 1);

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
        // Beside both rows of its pair, halfway down them.
        grid->addWidget(MakeLabel(this, block.sideName, reference), block.gridRow + 1, 0, 2, 1,
                        Qt::AlignVCenter);
    }

    for (int row = 0; row < kSunSlotCount; ++row) {
        const QString reference = row < 2 ? QStringLiteral("Sunrise") : QStringLiteral("Sunset");
        const QString what = QStringLiteral("%1 row %2, ").arg(reference).arg(row % 2 + 1);
        whenBoxes_[row] = MakeCombo(this, QStringLiteral("cboSunriseWhen(%1)").arg(row),
                                    {QStringLiteral("At ") + reference, QStringLiteral("Before ") + reference,
                                     QStringLiteral("After ") + reference});
        SetSpokenName(whenBoxes_[row], what + QStringLiteral("when"));
        offsetBoxes_[row] = new TimeBox(this);
        offsetBoxes_[row]->setObjectName(QStringLiteral("mebSunriseOffset(%1)").arg(row));
        offsetBoxes_[row]->setAccessibleName(what + QStringLiteral("offset"));
        actionBoxes_[row] =
            MakeCombo(this, QStringLiteral("cboSunriseAction(%1)").arg(row),
                      {QStringLiteral("Nothing"), QStringLiteral("On"), QStringLiteral("Off")});
        SetSpokenName(actionBoxes_[row], what + QStringLiteral("action"));
        randomBoxes_[row] = new QCheckBox(this);
        randomBoxes_[row]->setObjectName(QStringLiteral("chkSunriseRandom(%1)").arg(row));
        randomBoxes_[row]->setAccessibleName(what + QStringLiteral("randomize"));

        const int gridRow = row < 2 ? 1 + row : 2 + row;
        grid->addWidget(whenBoxes_[row], gridRow, 1);
        grid->addWidget(offsetBoxes_[row], gridRow, 2);
        grid->addWidget(actionBoxes_[row], gridRow, 3);
        grid->addWidget(randomBoxes_[row], gridRow, 4);

        const auto storeWhen = [this, row] {
            const SunEvent& e = engine_.SunEvents()[DeviceInBox()][row];
            engine_.SetSunEvent(DeviceInBox(), row, WhenInBox(row), e.offset, e.action);
        };
        connect(whenBoxes_[row], &QComboBox::editTextChanged, this, storeWhen);
        connect(whenBoxes_[row], &QComboBox::activated, this, storeWhen);
        const auto storeAction = [this, row] {
            const SunEvent& e = engine_.SunEvents()[DeviceInBox()][row];
            engine_.SetSunEvent(DeviceInBox(), row, e.when, e.offset, ActionInBox(row));
        };
        connect(actionBoxes_[row], &QComboBox::editTextChanged, this, storeAction);
        connect(actionBoxes_[row], &QComboBox::activated, this, storeAction);
        connect(offsetBoxes_[row], &TimeBox::focusLeft, this,
                [this, row] { OffsetLeft(row, DeviceInBox()); });
        connect(randomBoxes_[row], &QCheckBox::toggled, this,
                [this, row](bool checked) { RandomClicked(row, checked); });
    }
    grid->setColumnStretch(5, 1);
    outer->addStretch(1);

    connect(deviceBox_, &QComboBox::editTextChanged, this, &SunrisePanel::Refresh);
    connect(deviceBox_, &QComboBox::activated, this, &SunrisePanel::Refresh);
}

void SunrisePanel::ShowDevice(int device) {
    Build();
    deviceBox_->setCurrentIndex(device);
    Refresh(); // the same device again changes no index
}

std::int16_t SunrisePanel::DeviceInBox() const {
    return static_cast<std::int16_t>(TakenIndex(deviceBox_));
}
SunWhen SunrisePanel::WhenInBox(int row) const {
    return static_cast<SunWhen>(TakenIndex(whenBoxes_[row]));
}
SunAction SunrisePanel::ActionInBox(int row) const {
    return static_cast<SunAction>(TakenIndex(actionBoxes_[row]));
}

void SunrisePanel::StoreTypedTimes() {
    if (!deviceBox_) return; // nothing typed on a page never shown
    for (int row = 0; row < kSunSlotCount; ++row)
        if (offsetBoxes_[row]->TakeTyped()) OffsetLeft(row, shownDevice_);
}

void SunrisePanel::Refresh() {
    Build();
    // The device box may already name another device; what was typed belongs to the one shown.
    StoreTypedTimes();
    const int d = DeviceInBox();
    shownDevice_ = d;
    deviceName_->setText(QString::fromStdString(NameOf(engine_.Names(), d)));
    displayUpdating_ = true;
    for (int i = 0; i < kSunSlotCount; ++i) {
        // Each box's own handler runs as its text is set and stores the code shown, which
        // is why the record is read afresh for every control.
        const SunEvent& r = engine_.SunEvents()[d][i];
        actionBoxes_[i]->setCurrentIndex(static_cast<int>(r.action));
        whenBoxes_[i]->setCurrentIndex(static_cast<int>(r.when));
        randomBoxes_[i]->setChecked(r.randomised);
        offsetBoxes_[i]->SetBoxText(r.offset == std::chrono::seconds{0}
                                        ? kEmptyBoxText
                                        : QString::fromStdString(FormatBoxTime(TimeOfDay(r.offset))));
    }
    displayUpdating_ = false;
}

void SunrisePanel::OffsetLeft(int row, int device) {
    const SunEvent& r = engine_.SunEvents()[device][row];
    const auto t = ParseBoxTime(offsetBoxes_[row]->BoxText().toStdString());
    engine_.SetSunEvent(device, row, r.when, t ? t->SinceMidnight() : std::chrono::seconds{0}, r.action);
    if (!t) {
        if (const QString why = WhyNotATime(offsetBoxes_[row]->BoxText()); !why.isEmpty())
            emit timeRefused(offsetBoxes_[row]->accessibleName() + QStringLiteral(" not taken: ") + why);
        offsetBoxes_[row]->SetBoxText(kEmptyBoxText);
    }
}

void SunrisePanel::RandomClicked(int row, bool checked) {
    if (displayUpdating_) return;
    engine_.SetSunRandomised(DeviceInBox(), row, checked);
}

} // namespace tarnwick
