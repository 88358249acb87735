#include "sun/ui/LocationDialog.h"

#include "widgets/MessageBox.h"
#include "support/Fakes.h"
#include "widgets/TimeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using tarnwick::testing::FakeClock;

class LocationDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppState> state;
    FakeClock clock{MakeDateTime(2003, 6, 21, 15, 30)};
    std::unique_ptr<LocationDialog> dialog;
    QStringList messages;

    template <typename T> T* Find(const QString& name) {
        auto* w = dialog->findChild<T*>(name);
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }
    QLineEdit* Lat(int i) { return Find<QLineEdit>(QStringLiteral("mebLatitude(%1)").arg(i)); }
    QLineEdit* Lon(int i) { return Find<QLineEdit>(QStringLiteral("mebLongitude(%1)").arg(i)); }
    QComboBox* LatSide() { return Find<QComboBox>("cboLatitude"); }
    QComboBox* LonSide() { return Find<QComboBox>("cboLongitude"); }
    QListWidget* Zones() { return Find<QListWidget>("lstTimeZone"); }
    QCheckBox* Daylight() { return Find<QCheckBox>("chkDaylightSavingsTime"); }
    QString Sunrise() { return Find<QLabel>("lblSunrise")->text(); }
    QString Sunset() { return Find<QLabel>("lblSunset")->text(); }
    QString Digits(QLineEdit* field) { return static_cast<DigitsBox*>(field)->Digits(); }

    void Click(QWidget* w) {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
    }
    // Clicks into the field, replaces what it holds and leaves it with Tab, as a user would.
    void Enter(QLineEdit* field, const QString& text) {
        Click(field);
        QVERIFY(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
        QVERIFY(!field->hasFocus());
    }
    void ClickZone(const QString& name) {
        QListWidgetItem* item = Zones()->findItems(name, Qt::MatchExactly).value(0);
        QVERIFY(item);
        Zones()->scrollToItem(item);
        QTest::mouseClick(Zones()->viewport(), Qt::LeftButton, {}, Zones()->visualItemRect(item).center());
    }
    void ShowDialog() {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
    void Dallas() {
        state->Latitude = 32.78;
        state->Longitude = -96.8;
        state->TimeZone = 6;
        state->DaylightSavings = kTrue;
    }
    QStringList Fields() {
        QStringList texts;
        for (int i = 0; i < 3; ++i) texts << Digits(Lat(i));
        for (int i = 0; i < 3; ++i) texts << Digits(Lon(i));
        return texts;
    }

private slots:
    void initTestCase() {
        // A 24-hour locale, so the label texts below hold on any machine.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void init() {
        messages.clear();
        SetMessageHandler([this](const QString& text) { messages << text; });
        state = std::make_unique<AppState>();
        state->TimeZone = 6;
        state->DaylightSavings = kTrue;
        dialog = std::make_unique<LocationDialog>(*state, clock);
    }
    void cleanup() {
        dialog.reset();
        SetMessageHandler({});
    }

    void designTexts() {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmLocation"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Current Location"));
        QVERIFY(!dialog->isModal());
        QCOMPARE(Find<QLabel>("lblLatitude")->text(), QStringLiteral("Latitude (dd:mm:ss)"));
        QCOMPARE(Find<QLabel>("lblLongitude")->text(), QStringLiteral("Longitude (ddd:mm:ss)"));
        QCOMPARE(Find<QLabel>("lblTimeZone")->text(), QStringLiteral("Time Zone"));
        QCOMPARE(Daylight()->text(), QStringLiteral("Daylight Savings Time Observed"));
        QCOMPARE(Find<QPushButton>("cmdLocationOK")->text(), QStringLiteral("OK"));
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise at"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset at"));
        QCOMPARE(LatSide()->currentText(), QStringLiteral("N"));
        QCOMPARE(LatSide()->itemText(0), QStringLiteral("N"));
        QCOMPARE(LatSide()->itemText(1), QStringLiteral("S"));
        QCOMPARE(LonSide()->currentText(), QStringLiteral("W"));
        QCOMPARE(LonSide()->itemText(0), QStringLiteral("E"));
        QCOMPARE(LonSide()->itemText(1), QStringLiteral("W"));
        const QStringList zones = {"Atlantic", "Eastern", "Central", "Mountain",
                                   "Pacific",  "Alaska",  "Hawaii"};
        QCOMPARE(Zones()->count(), int(zones.size()));
        for (int i = 0; i < zones.size(); ++i) QCOMPARE(Zones()->item(i)->text(), zones[i]);
        QCOMPARE(Zones()->selectionMode(), QAbstractItemView::SingleSelection);
        const QStringList parts = {"degrees", "minutes", "seconds"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Lat(i)->accessibleName(), QStringLiteral("Latitude ") + parts[i]);
            QCOMPARE(Lon(i)->accessibleName(), QStringLiteral("Longitude ") + parts[i]);
            QCOMPARE(Lat(i)->displayText(), QStringLiteral("__"));
        }
        QCOMPARE(Lon(0)->displayText(), QStringLiteral("___"));
    }

    void showingActivatesTheDialog() {
        Dallas();
        ShowDialog();
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 20:38:00"));
        QCOMPARE(Fields(), (QStringList{"32", "46", "48", "96", "48", "0"}));
        QCOMPARE(LatSide()->currentText(), QStringLiteral("N"));
        QCOMPARE(LonSide()->currentText(), QStringLiteral("W"));
        QCOMPARE(Zones()->selectedItems().size(), 1);
        QCOMPARE(Zones()->selectedItems().first()->text(), QStringLiteral("Central"));
        QVERIFY(Daylight()->isChecked());

        // Hidden and shown again, it reads the settings afresh.
        dialog->hide();
        state->Latitude = -33.5;
        state->Longitude = 151.25;
        state->TimeZone = 10;
        state->DaylightSavings = kFalse;
        ShowDialog();
        QCOMPARE(Fields(), (QStringList{"33", "30", "0", "151", "15", "0"}));
        QCOMPARE(LatSide()->currentText(), QStringLiteral("S"));
        QCOMPARE(LonSide()->currentText(), QStringLiteral("E"));
        QCOMPARE(Zones()->selectedItems().first()->text(), QStringLiteral("Hawaii"));
        QVERIFY(!Daylight()->isChecked());
        QVERIFY(messages.isEmpty());
    }

    void leavingForAnotherWindowKeepsWhatWasTyped() {
        ShowDialog();
        Click(Lat(0));
        QTest::keyClicks(Lat(0), "45");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(state->Latitude, 45.0);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(Digits(Lat(0)), QStringLiteral("45"));
    }

    void activationLeavesZeroCoordinatesAlone() {
        ShowDialog();
        Enter(Lat(0), "12");
        state->Latitude = 0;
        state->Longitude = 0;
        dialog->Activate();
        QCOMPARE(Digits(Lat(0)), QStringLiteral("12"));
        QCOMPARE(Digits(Lon(0)), QString());
        QCOMPARE(LonSide()->currentText(), QStringLiteral("W"));
    }

    void aZoneOutsideTheListSelectsNothing() {
        state->TimeZone = 9;
        dialog->Activate();
        QCOMPARE(Zones()->selectedItems().first()->text(), QStringLiteral("Alaska"));
        for (int zone : {3, 11, 0, -5}) {
            state->TimeZone = static_cast<std::int16_t>(zone);
            dialog->Activate();
            QVERIFY(Zones()->selectedItems().isEmpty());
            QCOMPARE(int(state->TimeZone), zone);
        }
    }

    void enteredCoordinatesBuildTheSettings() {
        ShowDialog();
        Enter(Lat(0), "32");
        Enter(Lat(1), "47");
        Enter(Lat(2), "0");
        Enter(Lon(0), "96");
        Enter(Lon(1), "48");
        Enter(Lon(2), "0");
        QVERIFY(messages.isEmpty());
        QCOMPARE(state->Latitude, 32.0 + 47.0 / 60.0);
        QVERIFY(qAbs(state->Latitude - 32.783333) < 1e-6);
        QCOMPARE(state->Longitude, -96.8);
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
    }

    void coordinatesShowAgainAsEnteredRoundAfterRound() {
        // 32 47 0 N and 96 48 0 W as config.txt gives them back: fifteen digits, a hair off.
        state->Latitude = 32.7833333333333;
        state->Longitude = -96.8000000000001;
        for (int round = 0; round < 5; ++round) {
            ShowDialog();
            QCOMPARE(Fields(), (QStringList{"32", "47", "0", "96", "48", "0"}));
            Click(Find<QPushButton>("cmdLocationOK"));
            QVERIFY(state->Latitude == 32.7833333333333 && state->Longitude == -96.8000000000001);
        }
    }

    void storedCoordinatesSplitToTheNearestSecond_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("side");
        QTest::newRow("10.5") << 10.5 << QStringList{"10", "30", "0"} << "E";
        QTest::newRow("-96.8") << -96.8 << QStringList{"96", "48", "0"} << "W";
        QTest::newRow("just below a minute")
            << -(32.0 + 47.0 / 60.0 - 1e-9) << QStringList{"32", "47", "0"} << "W";
        QTest::newRow("most of a second") << 1.0 + 0.9 / 3600.0 << QStringList{"1", "0", "1"} << "E";
        // Beyond what the fields take: the most they take, the setting itself untouched.
        QTest::newRow("179:59:59.7") << 180.0 - 0.3 / 3600.0 << QStringList{"179", "59", "59"} << "E";
        QTest::newRow("1E300") << 1e300 << QStringList{"179", "59", "59"} << "E";
        QTest::newRow("-1E300") << -1e300 << QStringList{"179", "59", "59"} << "W";
    }
    void storedCoordinatesSplitToTheNearestSecond() {
        QFETCH(double, value);
        QFETCH(QStringList, parts);
        QFETCH(QString, side);
        state->Latitude = value;
        state->Longitude = value;
        dialog->Activate();
        QCOMPARE(Fields().mid(3), parts);
        QCOMPARE(LonSide()->currentText(), side);
        if (std::fabs(value) > 90) QCOMPARE(Fields().mid(0, 3), (QStringList{"89", "59", "59"}));
        QVERIFY(state->Latitude == value && state->Longitude == value);
    }

    void okKeepsAStoredLongitude() {
        state->Latitude = 51.5;
        state->Longitude = 10.5;
        ShowDialog();
        QCOMPARE(Fields(), (QStringList{"51", "30", "0", "10", "30", "0"}));
        QCOMPARE(LonSide()->currentText(), QStringLiteral("E"));
        Click(Find<QPushButton>("cmdLocationOK"));
        QVERIFY(dialog->isHidden());
        QCOMPARE(state->Longitude, 10.5);
        QCOMPARE(state->Latitude, 51.5);
    }

    void okHidesAndRecomputes() {
        ShowDialog();
        Enter(Lat(0), "32");
        Enter(Lat(1), "46");
        Enter(Lat(2), "48");
        Enter(Lon(0), "96");
        Enter(Lon(1), "48");
        Click(Lon(2));
        QTest::keyClicks(Lon(2), "0");
        state->Latitude = 0; // only the fields count for OK
        Click(Find<QPushButton>("cmdLocationOK"));
        QVERIFY(dialog->isHidden());
        QVERIFY(qAbs(state->Latitude - 32.78) < 1e-12);
        QCOMPARE(state->Longitude, -96.8);
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 20:38:00"));
    }

    void degreesBeyondTheRangeAreRefused_data() {
        QTest::addColumn<bool>("latitude");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("message");
        QTest::newRow("latitude degrees") << true << 0 << "89"
                                          << "90"
                                          << "Enter a Value between 0 and 89";
        QTest::newRow("latitude minutes") << true << 1 << "59"
                                          << "60"
                                          << "Enter a Value between 0 and 59";
        QTest::newRow("latitude seconds") << true << 2 << "59"
                                          << "60"
                                          << "Enter a Value between 0 and 59";
        QTest::newRow("longitude degrees") << false << 0 << "179"
                                           << "180"
                                           << "Enter a Value between 0 and 179";
        QTest::newRow("longitude minutes") << false << 1 << "59"
                                           << "60"
                                           << "Enter a Value between 0 and 59";
        QTest::newRow("longitude seconds") << false << 2 << "59"
                                           << "60"
                                           << "Enter a Value between 0 and 59";
        QTest::newRow("longitude 999") << false << 0 << "0"
                                       << "999"
                                       << "Enter a Value between 0 and 179";
        QTest::newRow("latitude 99") << true << 0 << "0"
                                     << "99"
                                     << "Enter a Value between 0 and 89";
    }
    void degreesBeyondTheRangeAreRefused() {
        QFETCH(bool, latitude);
        QFETCH(int, index);
        QFETCH(QString, accepted);
        QFETCH(QString, refused);
        QFETCH(QString, message);
        ShowDialog();
        QLineEdit* field = latitude ? Lat(index) : Lon(index);
        Enter(field, accepted);
        QVERIFY(messages.isEmpty());
        QCOMPARE(Digits(field), accepted);
        Enter(field, refused);
        QCOMPARE(messages, QStringList{message});
        QCOMPARE(Digits(field), QString());
        QCOMPARE(field->displayText(), QString(index == 0 && !latitude ? 3 : 2, QLatin1Char('_')));
    }

    void aRefusedDegreeLeavesMinutesAndSeconds() {
        ShowDialog();
        LatSide()->setFocus();
        QTest::keyClick(LatSide(), Qt::Key_Down);
        QCOMPARE(LatSide()->currentText(), QStringLiteral("S"));
        Enter(Lat(1), "30");
        Enter(Lat(2), "36");
        Enter(Lat(0), "45");
        QCOMPARE(state->Latitude, -(45.0 + 30.0 / 60.0 + 36.0 / 3600.0));
        Enter(Lat(0), "90");
        QCOMPARE(messages, QStringList{"Enter a Value between 0 and 89"});
        QCOMPARE(Digits(Lat(0)), QString());
        QCOMPARE(Digits(Lat(1)), QStringLiteral("30"));
        QCOMPARE(Digits(Lat(2)), QStringLiteral("36"));
        QCOMPARE(state->Latitude, -(30.0 / 60.0 + 36.0 / 3600.0));
    }

    void lettersCannotBeTyped() {
        ShowDialog();
        Enter(Lat(1), "ab-+ .");
        QCOMPARE(Digits(Lat(1)), QString());
        Enter(Lon(0), "1x2");
        QCOMPARE(Digits(Lon(0)), QStringLiteral("12"));
        QVERIFY(messages.isEmpty());
        QCOMPARE(state->Longitude, -12.0);
    }

    void oneTypedDigitReadsAsANumber() {
        ShowDialog();
        Enter(Lat(1), "5");
        QCOMPARE(Lat(1)->displayText(), QStringLiteral("5_"));
        QCOMPARE(Digits(Lat(1)), QStringLiteral("5"));
        QCOMPARE(state->Latitude, 5.0 / 60.0);
        Enter(Lon(0), "7");
        QCOMPARE(state->Longitude, -7.0);
    }

    void anEmptiedFieldChangesNothing() {
        state->Latitude = 32.5;
        ShowDialog();
        Enter(Lat(1), "");
        QCOMPARE(state->Latitude, 32.5);
        QVERIFY(messages.isEmpty());
    }

    void hawaiiSetsTheZoneAndRefreshesBothLabels() {
        Dallas();
        ShowDialog();
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 20:38:00"));
        ClickZone("Hawaii");
        QCOMPARE(int(state->TimeZone), 10);
        QCOMPARE(Zones()->selectedItems().size(), 1);
        QCOMPARE(Zones()->selectedItems().first()->text(), QStringLiteral("Hawaii"));
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 02:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 16:38:00"));
        ClickZone("Eastern");
        QCOMPARE(int(state->TimeZone), 5);
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 07:20:00"));
        QVERIFY(messages.isEmpty());
    }

    void daylightBoxWaitsForTheNextRecompute() {
        Dallas();
        ShowDialog();
        Click(Daylight());
        QVERIFY(!Daylight()->isChecked());
        QCOMPARE(state->DaylightSavings, std::int16_t(kFalse));
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 20:38:00"));
        Click(Find<QPushButton>("cmdLocationOK"));
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 05:20:00"));
        QCOMPARE(Sunset(), QStringLiteral("Sunset 19:38:00"));
        ShowDialog();
        Click(Daylight());
        QCOMPARE(state->DaylightSavings, std::int16_t(kTrue));
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 05:20:00"));
        dialog->Activate();
        QCOMPARE(Sunrise(), QStringLiteral("Sunrise 06:20:00"));
    }

    void aNewHemisphereCountsAtOnce() {
        state->Latitude = 10.5;
        state->Longitude = -20.25;
        ShowDialog();
        LatSide()->setFocus();
        QTest::keyClick(LatSide(), Qt::Key_Down);
        QCOMPARE(state->Latitude, -10.5);
        LonSide()->setFocus();
        QTest::keyClick(LonSide(), Qt::Key_Up);
        QCOMPARE(state->Longitude, 20.25);
    }
};

QTEST_MAIN(LocationDialogTest)
#include "LocationDialogTest.moc"
