#pragma once
// The Sunrise and Sunset page: one device's four events, two relative to sunrise
// and two to sunset, each with when, offset, action and randomise.

#include "base/AppState.h"
#include "base/Interfaces.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;

namespace tarnwick {

class TimeBox;

class SunrisePanel : public QGroupBox {
    Q_OBJECT
public:
    SunrisePanel(AppState& state, IRandom& random, QWidget* parent = nullptr);
    ~SunrisePanel() override;

    void UpdateSunriseDisplay();
    // Takes an offset still being typed, as leaving its box would, for the device shown.
    void StoreTypedTimes();

    std::int16_t SunriseDeviceIndex() const;
    std::int16_t SunriseWhenIndex(int row) const;
    std::int16_t SunriseActionIndex(int row) const;

private:
    void OffsetLeft(int row, int device);
    void RandomClicked(int row, bool checked);

    AppState& state_;
    IRandom& random_;
    int shownDevice_ = 0; // whose offsets the boxes hold
    QComboBox* cboSunriseDevice_ = nullptr;
    QLabel* lblSunriseDevice_ = nullptr;
    std::array<QComboBox*, kSunSlotCount> cboSunriseWhen_{};
    std::array<TimeBox*, kSunSlotCount> mebSunriseOffset_{};
    std::array<QComboBox*, kSunSlotCount> cboSunriseAction_{};
    std::array<QCheckBox*, kSunSlotCount> chkSunriseRandom_{};
};

} // namespace tarnwick
