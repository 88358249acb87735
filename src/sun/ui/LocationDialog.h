#pragma once
// The location dialog: latitude, longitude, time zone and daylight saving, each
// applied to the shared settings as it is entered, with today's sunrise and sunset.
// Modeless and kept for the whole run: OK only hides it.

#include "sun/SunCommands.h"

#include <QDialog>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tarnwick {

class DigitsBox;

// A sun time in the locale's own time-of-day form, seconds included, no time zone.
QString SunTimeText(TimeOfDay time, const QLocale& locale = QLocale());

class LocationDialog : public QDialog {
    Q_OBJECT
public:
    explicit LocationDialog(ISunCommands& engine, QWidget* parent = nullptr);
    ~LocationDialog() override;

    // The program is ending: a value typed in a field not yet left is taken when the field
    // takes it and quietly given up when not; from then on no field is checked.
    void StoreTyping();

    // Runs whenever the dialog becomes the active window; callable directly as well.
    void Activate();
    // Rebuilds Latitude and Longitude from the fields and hemisphere boxes.
    void ShowLocation();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // One coordinate's row: hemisphere box, degree, minute and second fields.
    struct Coordinate {
        QComboBox* hemisphere = nullptr;
        std::array<DigitsBox*, 3> fields{};
        QString negative;      // the hemisphere text that makes the value negative
        int degreeLimit = 0;   // highest degree value accepted
        QString degreeMessage; // shown when the degrees exceed it
        QStringList shown;     // hemisphere and fields as activation last filled them
        double shownValue = 0; // the setting they were filled from
        // Each field's text as last shown or accepted: what a refused entry gives way to.
        std::array<QString, 3> taken;
    };

    void BuildCoordinate(Coordinate& c, const QString& what, int degreeDigits);
    double ReadCoordinate(Coordinate& c);
    static QStringList Entries(const Coordinate& c);
    void ShowCoordinate(Coordinate& c, double value, const QString& positive);
    void FieldLeft(Coordinate& c, int index);
    // Why the field's value is not taken; empty when it is.
    QString WhyRefused(const Coordinate& c, int index) const;
    void Refuse(Coordinate& c, int index, const QString& message);
    void TimeZoneClicked();
    void DaylightClicked(bool checked);
    void OkClicked();
    void Recalculate();
    void UpdateSunLabels();
    void Message(const QString& text);

    ISunCommands& engine_;
    Location place_; // as the dialog shows it; every change goes to the engine at once
    Coordinate latitude_;
    Coordinate longitude_;
    QLabel* latitudeLabel_ = nullptr;
    QLabel* longitudeLabel_ = nullptr;
    QListWidget* timeZoneList_ = nullptr;
    QLabel* timeZoneLabel_ = nullptr;
    QCheckBox* daylightBox_ = nullptr;
    QLabel* sunriseLabel_ = nullptr;
    QLabel* sunsetLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    bool filling_ = false;
    bool messageOpen_ = false;
    bool ending_ = false;
};

} // namespace tarnwick
