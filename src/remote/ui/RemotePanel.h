#pragma once
// The Remote Control page: sixteen units of one house code switched by hand,
// Bright and Dim for the house, and the device names typed beside the units.

#include "remote/RemoteCommands.h"

#include <QGroupBox>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class RemotePanel : public QGroupBox {
    Q_OBJECT
public:
    explicit RemotePanel(IRemoteCommands& engine, QWidget* parent = nullptr);

    // Shows the names of the house code on display (start-up fills house A).
    void ShowNames();
    // Keeps the names still being typed, so an ending program does not lose them.
    void StoreNames();

    std::int16_t HouseInBox() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SwitchHouse();
    void NameEdited(int unit, const QString& text);
    void UnitClicked(int unit, bool checked);
    void SendHouseCommand(int functionOffset);

    IRemoteCommands& engine_;
    // Which units were last switched on, per house: the page's own memory, never saved.
    std::array<std::array<bool, kUnitCount>, kHouseCount> switchedOn_{};
    int shownHouse_ = 0;        // whose names and marks the boxes hold
    bool settingMarks_ = false; // the page sets the marks itself: no command
    std::array<QLineEdit*, kUnitCount> nameBoxes_{};
    std::array<QString, kUnitCount> boxTexts_{}; // what each name box holds, as last accepted
    std::array<QCheckBox*, kUnitCount> unitBoxes_{};
    QPushButton* dimButton_ = nullptr;
    QPushButton* brightButton_ = nullptr;
    QComboBox* houseBox_ = nullptr;
};

} // namespace tarnwick
