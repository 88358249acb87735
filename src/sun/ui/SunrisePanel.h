#pragma once
// The Sunrise and Sunset page: one device's four events, two relative to sunrise
// and two to sunset, each with when, offset, action and randomise.

#include "sun/SunCommands.h"

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
    explicit SunrisePanel(ISunCommands& engine, QWidget* parent = nullptr);

    // Fills the page from the events of the device named in the device box; the first call
    // builds the page.
    void Refresh();
    // Shows the device's entries, as picking it from the device list does.
    void ShowDevice(int device);
    // Takes an offset still being typed, as leaving its box would, for the device shown.
    void StoreTypedTimes();

    std::int16_t DeviceInBox() const;
    SunWhen WhenInBox(int row) const;
    SunAction ActionInBox(int row) const;

signals:
    // An offset typed was not taken, and why: for the user to read at once.
    void timeRefused(const QString& text);

private:
    void Build();
    void OffsetLeft(int row, int device);
    void RandomClicked(int row, bool checked);

    ISunCommands& engine_;
    bool displayUpdating_ = false; // the page is being filled: its boxes' handlers stay out
    int shownDevice_ = 0;          // whose offsets the boxes hold
    QComboBox* deviceBox_ = nullptr;
    QLabel* deviceName_ = nullptr;
    std::array<QComboBox*, kSunSlotCount> whenBoxes_{};
    std::array<TimeBox*, kSunSlotCount> offsetBoxes_{};
    std::array<QComboBox*, kSunSlotCount> actionBoxes_{};
    std::array<QCheckBox*, kSunSlotCount> randomBoxes_{};
};

} // namespace tarnwick
