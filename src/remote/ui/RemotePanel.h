#pragma once
// The Remote Control page: sixteen units of one house code switched by hand,
// Bright and Dim for the house, and the device names typed beside the units.

#include "base/AppState.h"
#include "base/Interfaces.h"

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
    RemotePanel(AppState& state, IMessageSender& sender, QWidget* parent = nullptr);
    ~RemotePanel() override;

    // Shows the names of the house code on display (start-up fills house A).
    void ShowNames();
    // Keeps the names still being typed, so an ending program does not lose them.
    void StoreNames();

    std::int16_t AddressIndex() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SwitchHouse();
    void NameEdited(int unit, const QString& text);
    void UnitClicked(int unit, bool checked);
    void SendHouseCommand(int functionOffset);

    AppState& state_;
    IMessageSender& sender_;
    std::array<QLineEdit*, kUnitCount> txtA_{};
    std::array<QString, kUnitCount> boxTexts_{}; // what each name box holds, as last accepted
    std::array<QCheckBox*, kUnitCount> chkA_{};
    QPushButton* btnDim_ = nullptr;
    QPushButton* btnBright_ = nullptr;
    QComboBox* cboAddress_ = nullptr;
};

} // namespace tarnwick
