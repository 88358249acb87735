#include "sun/ui/LocationDialog.h"

#include "sun/Solar.h"
#include "widgets/ComboBoxes.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeBox.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace tarnwick {
namespace {

constexpr int kFirstTimeZone = 4;
constexpr std::array<const char*, 7> kTimeZoneNames = {"Atlantic", "Eastern", "Central", "Mountain",
                                                       "Pacific",  "Alaska",  "Hawaii"};
constexpr std::array<const char*, 3> kPartNames = {"degrees", "minutes", "seconds"};
constexpr std::array<double, 3> kPartsPerDegree = {1.0, 60.0, 3600.0};
constexpr int kMinuteLimit = 59;

struct DegreesMinutesSeconds {
    long long degrees = 0;
    long long minutes = 0;
    long long seconds = 0;
};

// To the nearest whole second, carried into minutes and degrees, so that a value shows again
// as it was entered; no more than the fields accept, however far beyond an edited config.txt goes.
DegreesMinutesSeconds Split(double value, int degreeLimit) {
    const double most = degreeLimit * 3600.0 + 3599.0;
    double seconds = std::round(std::fabs(value) * 3600.0);
    if (!(seconds <= most)) seconds = most;
    const auto total = static_cast<long long>(seconds);
    return {total / 3600, total / 60 % 60, total % 60};
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QString SunTimeText(TimeOfDay time, const QLocale& locale) {
    // The long form is the locale's own time with seconds; only its zone is dropped.
    const QString longFormat = locale.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    for (const QChar ch : longFormat) {
        if (ch == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && ch == QLatin1Char('t')) continue;
        format += ch;
    }
    return locale.toString(QTime(time.Hour(), time.MinuteOfHour(), time.Second()), format.trimmed());
}

LocationDialog::LocationDialog(ISunCommands& engine, QWidget* parent)
    : QDialog(parent), engine_(engine), place_(engine.CurrentLocation()) {
    setObjectName(QStringLiteral("frmLocation"));
    setWindowTitle(QStringLiteral("Current Location"));
    setModal(false);
    const TwipScale twips(fontMetrics());

    latitude_.negative = QStringLiteral("S");
    latitude_.degreeLimit = 89;
    latitude_.degreeMessage = QStringLiteral("Enter a Value between 0 and 89");
    longitude_.negative = QStringLiteral("W");
    longitude_.degreeLimit = 179;
    longitude_.degreeMessage = QStringLiteral("Enter a Value between 0 and 179");

    // Created in reading order, so the tab order follows the rows.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(twips(120), twips(120), twips(120), twips(120));
    grid->setVerticalSpacing(twips(180));
    grid->setHorizontalSpacing(twips(120));
    grid->setSizeConstraint(QLayout::SetFixedSize);

    latitude_.hemisphere = new QComboBox(this);
    latitude_.hemisphere->setObjectName(QStringLiteral("cboLatitude"));
    latitude_.hemisphere->addItems({QStringLiteral("N"), QStringLiteral("S")});
    latitude_.hemisphere->setCurrentIndex(0);
    BuildCoordinate(latitude_, QStringLiteral("Latitude"), 2);
    latitudeLabel_ = MakeLabel(this, "lblLatitude", QStringLiteral("Latitude (dd:mm:ss)"));

    longitude_.hemisphere = new QComboBox(this);
    longitude_.hemisphere->setObjectName(QStringLiteral("cboLongitude"));
    longitude_.hemisphere->addItems({QStringLiteral("E"), QStringLiteral("W")});
    longitude_.hemisphere->setCurrentIndex(1);
    BuildCoordinate(longitude_, QStringLiteral("Longitude"), 3);
    longitudeLabel_ = MakeLabel(this, "lblLongitude", QStringLiteral("Longitude (ddd:mm:ss)"));

    int row = 0;
    for (auto [c, label] : {std::pair{&latitude_, latitudeLabel_}, std::pair{&longitude_, longitudeLabel_}}) {
        auto* fields = new QHBoxLayout;
        fields->setSpacing(twips(120));
        for (DigitsBox* field : c->fields) fields->addWidget(field);
        fields->addStretch(1);
        grid->addWidget(c->hemisphere, row, 0);
        grid->addLayout(fields, row, 1);
        grid->addWidget(label, row, 2);
        ++row;
    }

    timeZoneList_ = new QListWidget(this);
    timeZoneList_->setObjectName(QStringLiteral("lstTimeZone"));
    timeZoneList_->setAccessibleName(QStringLiteral("Time zone"));
    timeZoneList_->setSelectionMode(QAbstractItemView::SingleSelection);
    int widest = 0;
    for (const char* name : kTimeZoneNames) {
        timeZoneList_->addItem(QString::fromLatin1(name));
        widest = std::max(widest, timeZoneList_->fontMetrics().horizontalAdvance(QString::fromLatin1(name)));
    }
    // One entry high, as designed: the list scrolls through the zones.
    const int frame = 2 * timeZoneList_->frameWidth();
    timeZoneList_->setFixedHeight(timeZoneList_->sizeHintForRow(0) + frame);
    timeZoneList_->setFixedWidth(std::max(
        widest + twips(180) + timeZoneList_->verticalScrollBar()->sizeHint().width() + frame, twips(1212)));
    timeZoneLabel_ = MakeLabel(this, "lblTimeZone", QStringLiteral("Time Zone"));
    daylightBox_ = new QCheckBox(QStringLiteral("Daylight Savings Time Observed"), this);
    daylightBox_->setObjectName(QStringLiteral("chkDaylightSavingsTime"));
    auto* zone = new QHBoxLayout;
    zone->setSpacing(twips(120));
    zone->addWidget(timeZoneList_);
    zone->addWidget(timeZoneLabel_);
    zone->addStretch(1);
    grid->addLayout(zone, row, 0, 1, 2);
    grid->addWidget(daylightBox_, row, 2);
    ++row;

    sunriseLabel_ = MakeLabel(this, "lblSunrise", QStringLiteral("Sunrise at"));
    sunsetLabel_ = MakeLabel(this, "lblSunset", QStringLiteral("Sunset at"));
    grid->addWidget(sunriseLabel_, row, 0, 1, 2);
    grid->addWidget(sunsetLabel_, row, 2);
    ++row;

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("cmdLocationOK"));
    okButton_->setMinimumWidth(twips(732));
    grid->addWidget(okButton_, row, 0, 1, 3, Qt::AlignHCenter);

    for (Coordinate* c : {&latitude_, &longitude_}) {
        for (int i = 0; i < 3; ++i)
            connect(c->fields[i], &DigitsBox::focusLeft, this, [this, c, i] { FieldLeft(*c, i); });
        // No Cancel: a new hemisphere counts at once, like every other entry here.
        connect(c->hemisphere, &QComboBox::activated, this, &LocationDialog::Recalculate);
    }
    connect(timeZoneList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!filling_) TimeZoneClicked();
    });
    connect(daylightBox_, &QCheckBox::clicked, this, &LocationDialog::DaylightClicked);
    connect(okButton_, &QPushButton::clicked, this, &LocationDialog::OkClicked);
}

void LocationDialog::BuildCoordinate(Coordinate& c, const QString& what, int degreeDigits) {
    SetSpokenName(c.hemisphere, what + QStringLiteral(" hemisphere"));
    for (int i = 0; i < 3; ++i) {
        auto* field = new DigitsBox(i == 0 ? degreeDigits : 2, this);
        field->setObjectName(QStringLiteral("meb%1(%2)").arg(what).arg(i));
        field->setAccessibleName(what + QLatin1Char(' ') + QString::fromLatin1(kPartNames[i]));
        c.fields[i] = field;
    }
}

bool LocationDialog::event(QEvent* event) {
    // Closing our own message box hands the activation back; that is no new visit.
    if (event->type() == QEvent::WindowActivate && !messageOpen_) Activate();
    return QDialog::event(event);
}

void LocationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Some window managers show a window without activating it; it must not look stale.
    if (!event->spontaneous()) Activate();
}

void LocationDialog::Activate() {
    place_ = engine_.CurrentLocation();
    UpdateSunLabels();
    ShowCoordinate(latitude_, place_.latitude, QStringLiteral("N"));
    ShowCoordinate(longitude_, place_.longitude, QStringLiteral("E"));

    filling_ = true;
    const int position = place_.timeZone - kFirstTimeZone;
    if (position >= 0 && position < timeZoneList_->count()) {
        timeZoneList_->setCurrentRow(position, QItemSelectionModel::ClearAndSelect);
        timeZoneList_->scrollToItem(timeZoneList_->item(position));
    } else {
        // A zone from an edited config.txt that the list has no entry for.
        timeZoneList_->clearSelection();
    }
    filling_ = false;
    daylightBox_->setChecked(place_.daylightSaving);
}

void LocationDialog::ShowCoordinate(Coordinate& c, double value, const QString& positive) {
    // Zero, or no number at all, means never entered: whatever the fields hold is left alone.
    if (value == 0 || std::isnan(value)) {
        c.shown.clear();
        return;
    }
    c.hemisphere->setCurrentText(value < 0 ? c.negative : positive);
    const DegreesMinutesSeconds parts = Split(value, c.degreeLimit);
    c.fields[0]->setText(QString::number(parts.degrees));
    c.fields[1]->setText(QString::number(parts.minutes));
    c.fields[2]->setText(QString::number(parts.seconds));
    for (int i = 0; i < 3; ++i) c.taken[i] = c.fields[i]->text();
    c.shown = Entries(c);
    c.shownValue = value;
}

QStringList LocationDialog::Entries(const Coordinate& c) {
    return {c.hemisphere->currentText(), c.fields[0]->Digits(), c.fields[1]->Digits(), c.fields[2]->Digits()};
}

void LocationDialog::ShowLocation() {
    place_.latitude = ReadCoordinate(latitude_);
    place_.longitude = ReadCoordinate(longitude_);
    engine_.SetLocation(place_);
}

double LocationDialog::ReadCoordinate(Coordinate& c) {
    // Fields left as shown stand for the value shown, with the fraction of a second they cannot hold.
    if (!c.shown.isEmpty() && Entries(c) == c.shown) return c.shownValue;
    double value = 0;
    for (int i = 0; i < 3; ++i) {
        bool numeric = false;
        const int part = c.fields[i]->Digits().toInt(&numeric);
        if (!numeric) {
            c.fields[i]->clear();
            c.taken[i].clear();
            continue;
        }
        value += part / kPartsPerDegree[i];
    }
    return c.hemisphere->currentText() == c.negative ? -value : value;
}

LocationDialog::~LocationDialog() {
    // Hiding, which the base class does after this, moves the focus out of a field.
    ending_ = true;
    for (Coordinate* c : {&latitude_, &longitude_})
        for (DigitsBox* field : c->fields) disconnect(field, nullptr, this, nullptr);
}

void LocationDialog::StoreTyping() {
    if (ending_) return;
    ending_ = true;
    bool taken = false;
    for (Coordinate* c : {&latitude_, &longitude_}) {
        for (int i = 0; i < 3; ++i) {
            DigitsBox* field = c->fields[i];
            if (field->text() == c->taken[i] || field->Digits().isEmpty()) continue;
            if (WhyRefused(*c, i).isEmpty()) {
                c->taken[i] = field->text();
                taken = true;
            } else {
                field->setText(c->taken[i]);
            }
        }
    }
    if (taken) Recalculate();
}

QString LocationDialog::WhyRefused(const Coordinate& c, int index) const {
    bool numeric = false;
    const int value = c.fields[index]->Digits().toInt(&numeric);
    if (!numeric) return QStringLiteral("Enter Numeric Values only");
    if (index == 0 && value > c.degreeLimit) return c.degreeMessage;
    if (index > 0 && value > kMinuteLimit) return QStringLiteral("Enter a Value between 0 and 59");
    return {};
}

void LocationDialog::FieldLeft(Coordinate& c, int index) {
    if (ending_) return;
    DigitsBox* field = c.fields[index];
    if (field->Digits().isEmpty()) return;
    if (const QString why = WhyRefused(c, index); !why.isEmpty()) return Refuse(c, index, why);
    c.taken[index] = field->text();
    Recalculate();
}

// A typo must not move the place: the field shows what it held before, and nothing is recomputed.
void LocationDialog::Refuse(Coordinate& c, int index, const QString& message) {
    Message(message);
    c.fields[index]->setText(c.taken[index]);
}

void LocationDialog::TimeZoneClicked() {
    const int position = timeZoneList_->currentRow();
    QListWidgetItem* clicked = timeZoneList_->item(position);
    if (clicked && clicked->isSelected()) {
        place_.timeZone = static_cast<std::int16_t>(position + kFirstTimeZone);
        filling_ = true;
        for (int i = 0; i < timeZoneList_->count(); ++i)
            if (i != position) timeZoneList_->item(i)->setSelected(false);
        filling_ = false;
    }
    Recalculate();
}

void LocationDialog::DaylightClicked(bool checked) {
    // The labels catch up at the next recompute.
    place_.daylightSaving = checked;
    engine_.SetLocation(place_);
}

void LocationDialog::OkClicked() {
    hide();
    Recalculate();
}

void LocationDialog::Recalculate() {
    ShowLocation();
    UpdateSunLabels();
}

void LocationDialog::UpdateSunLabels() {
    sunriseLabel_->setText(QStringLiteral("Sunrise ") + SunTimeText(engine_.TodaysSunTimes().sunrise));
    sunsetLabel_->setText(QStringLiteral("Sunset ") + SunTimeText(engine_.TodaysSunTimes().sunset));
}

void LocationDialog::Message(const QString& text) {
    messageOpen_ = true;
    ShowMessage(this, text);
    messageOpen_ = false;
}

} // namespace tarnwick
