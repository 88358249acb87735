#include "support/PageDriver.h"

#include "base/TimeText.h"
#include "sun/Solar.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include <fstream>

using namespace tarnwick;
using namespace tarnwick::testing;

class SunrisePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    QComboBox* When(int row) { return Find<QComboBox>(*f, QStringLiteral("cboSunriseWhen(%1)").arg(row)); }
    QComboBox* Action(int row) {
        return Find<QComboBox>(*f, QStringLiteral("cboSunriseAction(%1)").arg(row));
    }
    QLineEdit* Offset(int row) {
        return Find<QLineEdit>(*f, QStringLiteral("mebSunriseOffset(%1)").arg(row));
    }
    QCheckBox* Random(int row) {
        return Find<QCheckBox>(*f, QStringLiteral("chkSunriseRandom(%1)").arg(row));
    }
    QComboBox* Device() { return Find<QComboBox>(*f, "cboSunriseDevice"); }
    SunriseEvent& Event(int device, int slot) { return f->window->State().SunriseSchedule[device][slot]; }

private slots:
    void init() {
        f = std::make_unique<WindowFixture>(false, MakeDateTime(2026, 12, 8, 7, 29, 10));
        f->window->Load();
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
        ClickTab(*f, 2);
        f->TakeSent();
    }
    void cleanup() { f.reset(); }

    void rowsAreLaidOutUnderTheirHeadings() {
        QVERIFY(Find<QGroupBox>(*f, "frmSunrise")->isVisible());
        QCOMPARE(Find<QGroupBox>(*f, "frmSunrise")->title(), QStringLiteral("Sunrise and Sunset Scheduling"));
        QCOMPARE(When(0)->itemText(2), QStringLiteral("After Sunrise"));
        QCOMPARE(When(3)->currentText(), QStringLiteral("At Sunset"));
        QCOMPARE(Action(1)->currentText(), QStringLiteral("Nothing"));
        QCOMPARE(Find<QLabel>(*f, "Label6")->text(), QStringLiteral("Offset from Sunset"));
        QVERIFY(Find<QLabel>(*f, "Label8")->y() > When(1)->y());
        QVERIFY(When(2)->y() > Find<QLabel>(*f, "Label8")->y());
        QVERIFY(Offset(2)->x() > When(2)->x() && Action(2)->x() > Offset(2)->x() &&
                Random(2)->x() > Action(2)->x());
        QCOMPARE(Offset(2)->accessibleName(), QStringLiteral("Sunset row 1, offset"));
    }

    void choicesAreStoredAsTheirCodes() {
        When(2)->setCurrentIndex(2);   // "After Sunset"
        Action(3)->setCurrentIndex(2); // "Off"
        QCOMPARE(Event(0, 2).When, 2);
        QCOMPARE(Event(0, 3).Action, 2);
        TypeInto(Action(1), "on"); // no such entry: nothing
        QCOMPARE(Event(0, 1).Action, 0);
        TypeInto(Action(1), "On");
        QCOMPARE(Event(0, 1).Action, 1);
    }

    void offsetsAreCheckedWhenTheFieldIsLeft() {
        TypeAndLeave(Offset(0), "0030", Action(0));
        QCOMPARE(Event(0, 0).Offset, MakeTime(0, 30));
        TypeAndLeave(Offset(0), "7", Action(0));
        QCOMPARE(Event(0, 0).Offset, 0.0);
        QCOMPARE(Offset(0)->displayText(), QStringLiteral("__:__"));
    }

    void theRandomBoxDrawsAndARedisplayDoesNot() {
        f->window->State().RandomInterval = 30;
        for (int round = 0; round < 40; ++round) {
            Random(3)->click();
            const double shift = Event(0, 3).Random;
            QVERIFY(shift >= -14 && shift <= 15 && shift != 0);
            Random(3)->click();
            QCOMPARE(Event(0, 3).Random, 0.0);
        }
        Event(5, 1).Random = -3;
        TypeInto(Device(), "A6");
        QVERIFY(Random(1)->isChecked());
        QCOMPARE(Event(5, 1).Random, -3.0);
    }

    void anotherDeviceShowsItsOwnSlotsAndName() {
        f->window->State().DeviceNames[1][2] = "Den Lamp";
        Event(18, 2) = {2, MakeTime(1, 30), 1, 0};
        Event(18, 0) = {1, 0, 2, 4};
        TypeInto(Device(), "B3");
        QCOMPARE(Find<QLabel>(*f, "lblSunriseDevice")->text(), QStringLiteral("Den Lamp"));
        QCOMPARE(When(2)->currentText(), QStringLiteral("After Sunset"));
        QCOMPARE(Offset(2)->displayText(), QStringLiteral("01:30"));
        QCOMPARE(Action(2)->currentText(), QStringLiteral("On"));
        QCOMPARE(When(0)->currentText(), QStringLiteral("Before Sunrise"));
        QCOMPARE(Action(0)->currentText(), QStringLiteral("Off"));
        QVERIFY(Random(0)->isChecked());
        QCOMPARE(Offset(0)->displayText(), QStringLiteral("__:__"));
        QCOMPARE(Event(18, 2), (SunriseEvent{2, MakeTime(1, 30), 1, 0})); // showing changed nothing
    }

    // A Sunrise.txt edited by hand, with codes no box offers: the page shows what the tick
    // does with them, and showing the page changes nothing.
    void unknownCodesShowAsTheTickTreatsThem() {
        f = std::make_unique<WindowFixture>();
        const std::string zero = "0\r\n#00:00:00#\r\n0\r\n#00:00:00#\r\n";
        std::ofstream(f->folder.filePath("Sunrise.txt").toStdString(), std::ios::binary)
            << zero << zero << "7\r\n#01:00:00#\r\n5\r\n#00:00:00#\r\n";
        f->window->Load();
        const SunriseEvent read = Event(0, 2);
        f->window->show();
        ClickTab(*f, 2);
        QCOMPARE(When(2)->currentText(), QStringLiteral("At Sunset"));
        QCOMPARE(Action(2)->currentText(), QStringLiteral("Nothing"));
        QCOMPARE(Event(0, 2), read);
        const DateTime sunset = DateOf(f->clock.Now()) + f->window->State().SunsetTime;
        for (f->clock.Set(AddMinutes(sunset, -2)); f->clock.Now() < AddMinutes(sunset, 62);
             f->clock.AdvanceSeconds(1.5))
            f->window->Tick();
        QCOMPARE(f->TakeSent(), QStringList{});
    }

    void anEventAfterSunsetFiresAtSunsetPlusItsOffset() {
        AppState& s = f->window->State();
        s.Latitude = 32.78;
        s.Longitude = -96.8;
        CalculateSunTimes(s, f->clock.Now());
        const DateTime sunset = s.SunsetTime;
        TypeInto(Device(), "D2");
        When(2)->setCurrentIndex(2);
        TypeAndLeave(Offset(2), "0030", Action(2));
        Action(2)->setCurrentIndex(1);
        // Tick through the afternoon and evening, 1.5 s at a time.
        f->clock.Set(MakeDateTime(2026, 12, 8, 17, 0, 0));
        QStringList sentAt;
        while (f->clock.Now() < MakeDateTime(2026, 12, 8, 19, 0, 0)) {
            f->clock.AdvanceSeconds(1.5);
            f->window->Tick();
            for (const auto& line : f->TakeSent())
                sentAt << line + " " + QString::fromStdString(FormatBoxTime(f->clock.Now()));
        }
        QCOMPARE(sentAt,
                 QStringList{"D2 On " + QString::fromStdString(FormatBoxTime(AddMinutes(sunset, 30)))});
    }
};

QTEST_MAIN(SunrisePanelTest)
#include "SunrisePanelTest.moc"
