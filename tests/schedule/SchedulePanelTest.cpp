#include "support/PageDriver.h"

#include "schedule/Scheduler.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

using namespace tarnwick;
using namespace tarnwick::testing;

class SchedulePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    QLineEdit* Time(int i) { return Find<QLineEdit>(*f, QStringLiteral("mebOnOff(%1)").arg(i)); }
    QCheckBox* Random(int i) { return Find<QCheckBox>(*f, QStringLiteral("chkRandom(%1)").arg(i)); }
    QComboBox* Device() { return Find<QComboBox>(*f, "cboDevice"); }
    QComboBox* Interval() { return Find<QComboBox>(*f, "cboRandomTime"); }
    // What a label reads out, as a screen reader gets it: its text without markup.
    static QString Shown(QLabel* label) {
        return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
    }
    SchedulePair& Pair(int device, int weekday, int pair) {
        return f->window->State().WeeklySchedule[device][weekday][pair];
    }
    void Start(const QString& folder = {}) {
        f = std::make_unique<WindowFixture>(false, MakeDateTime(2026, 12, 8, 7, 29, 10), folder); // a Tuesday
        f->window->Load();
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
        f->TakeSent();
    }

private slots:
    void init() { Start(); }
    void cleanup() { f.reset(); }

    void theGridIsLaidOutAndNamedForEveryone() {
        ClickTab(*f, 1);
        QVERIFY(Find<QGroupBox>(*f, "frmSchedule")->isVisible());
        QVERIFY(!Find<QGroupBox>(*f, "frmRemote")->isVisible());
        QCOMPARE(Device()->count(), 256);
        QCOMPARE(Device()->itemText(255), QStringLiteral("P16"));
        QCOMPARE(Interval()->count(), 99);
        QCOMPARE(Interval()->currentText(), QStringLiteral("45"));
        QCOMPARE(Find<QLabel>(*f, "lblDayOfTheWeek(6)")->text(), QStringLiteral("Sunday"));
        // Sunday stands on top, then Monday.
        QVERIFY(Find<QLabel>(*f, "lblDayOfTheWeek(6)")->y() < Find<QLabel>(*f, "lblDayOfTheWeek(0)")->y());
        // Headings left to right are the elements 0, 1, 2, 5, 3, 6, 4, 7.
        const int order[] = {0, 1, 2, 5, 3, 6, 4, 7};
        for (int c = 1; c < 8; ++c)
            QVERIFY(Find<QLabel>(*f, QStringLiteral("lblOnOff(%1)").arg(order[c]))->x() >
                    Find<QLabel>(*f, QStringLiteral("lblOnOff(%1)").arg(order[c - 1]))->x());
        QCOMPARE(Time(19)->accessibleName(), QStringLiteral("Tuesday, second off time"));
        QCOMPARE(Random(19)->accessibleName(), QStringLiteral("Randomize Tuesday, second off time"));
        QVERIFY(Random(19)->x() > Time(19)->x());
        QCOMPARE(Time(0)->displayText(), QStringLiteral("__:__"));
    }

    void aDeviceShowsItsTimetableAndName() {
        Pair(36, 2, 0) = {MakeTime(7, 30), kTrue, 0, MakeTime(22, 0), kFalse, 4};
        f->window->State().DeviceNames[2][4] = "<b>Hall";
        ClickTab(*f, 1);
        TypeInto(Device(), "C5");
        QCOMPARE(Time(16)->displayText(), QStringLiteral("07:30"));
        QCOMPARE(Time(17)->displayText(), QStringLiteral("__:__")); // a time that is off shows empty
        QVERIFY(Random(17)->isChecked());
        // A name shows as typed, not as markup; Sunrise and Sunset shows it alike.
        QCOMPARE(Shown(Find<QLabel>(*f, "lblDevice")), QStringLiteral("<b>Hall"));
        ClickTab(*f, 2);
        TypeInto(Find<QComboBox>(*f, "cboSunriseDevice"), "C5");
        QCOMPARE(Shown(Find<QLabel>(*f, "lblSunriseDevice")), QStringLiteral("<b>Hall"));
        ClickTab(*f, 1);
        TypeInto(Device(), "c5"); // no such device: A1
        QCOMPARE(Time(16)->displayText(), QStringLiteral("__:__"));
    }

    void aTypedTimeIsSetAndABadOneSwitchedOff() {
        ClickTab(*f, 1);
        Pair(0, 2, 0).OnRandomOffset = 5;
        TypeAndLeave(Time(16), "2130", Time(17));
        QCOMPARE(Pair(0, 2, 0), (SchedulePair{MakeTime(21, 30), kTrue, 5, 0, kFalse, 0}));
        for (const QString& bad : {QStringLiteral("6"), QStringLiteral("2400"), QStringLiteral("1260")}) {
            TypeAndLeave(Time(16), bad, Time(17));
            QCOMPARE(Time(16)->displayText(), QStringLiteral("__:__"));
            QCOMPARE(Pair(0, 2, 0).OnEnabled, kFalse);
            QCOMPARE(Pair(0, 2, 0).OnTime, 0.0);
            QCOMPARE(Pair(0, 2, 0).OnRandomOffset, 5);
            TypeAndLeave(Time(16), "2130", Time(17));
        }
        TypeAndLeave(Time(16), "0000", Time(17)); // midnight is a real time
        QCOMPARE(Pair(0, 2, 0).OnEnabled, kTrue);
    }

    void typingIntoAnEmptyBoxStartsAtItsFirstPlaceWhereverTheClickLanded() {
        ClickTab(*f, 1);
        QTest::mouseClick(Time(16), Qt::LeftButton, {}, Time(16)->rect().center());
        QTest::keyClicks(Time(16), "0730");
        QTest::keyClick(Time(16), Qt::Key_Tab);
        QCOMPARE(Pair(0, 2, 0).OnTime, MakeTime(7, 30));
        QCOMPARE(Pair(0, 2, 0).OnEnabled, kTrue);
    }

    void aTimeStillBeingTypedIsNeitherLostNorCutShort() {
        ClickTab(*f, 1);
        Time(16)->setFocus();
        QTest::keyClicks(Time(16), "073");
        QWidget other; // another window takes the focus for a while
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(Time(16)->displayText(), QStringLiteral("07:3_"));
        f->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        QTest::keyClicks(Time(16), "0");
        ClickTab(*f, 1); // the selected tab again: the page is redrawn from the table
        QCOMPARE(Time(16)->displayText(), QStringLiteral("07:30"));
        QCOMPARE(Pair(0, 2, 0).OnEnabled, kTrue);
        QTest::mouseClick(Time(17), Qt::LeftButton); // and File > Exit with a time in its box
        QTest::keyClicks(Time(17), "2215");
        f->window->findChild<QAction*>("mnuExit")->trigger();
        QFile schedule(f->folder.filePath("schedule.txt"));
        QVERIFY(schedule.open(QIODevice::ReadOnly));
        QVERIFY(schedule.readAll().contains("#07:30:00#\r\n#TRUE#\r\n0\r\n#22:15:00#\r\n#TRUE#"));
    }

    void theRandomBoxDrawsAShiftAndARefreshDrawsNothing() {
        ClickTab(*f, 1);
        TypeInto(Interval(), "30");
        QCOMPARE(f->window->State().RandomInterval, 30);
        for (int round = 0; round < 40; ++round) {
            Random(1)->click();
            const int offset = Pair(0, 0, 0).OffRandomOffset;
            QVERIFY(offset >= -14 && offset <= 15 && offset != 0);
            Random(1)->click();
            QCOMPARE(Pair(0, 0, 0).OffRandomOffset, 0);
        }
        Random(1)->click();
        const int drawn = Pair(0, 0, 0).OffRandomOffset;
        TypeInto(Device(), "B3");
        TypeInto(Device(), "A1");
        ClickTab(*f, 1);
        QVERIFY(Random(1)->isChecked());
        QCOMPARE(Pair(0, 0, 0).OffRandomOffset, drawn);
    }

    void theIntervalBoxKeepsOnlyValuesFromItsList() {
        TypeInto(Interval(), "150");
        QCOMPARE(f->window->State().RandomInterval, 1);
        Interval()->setCurrentIndex(44);
        QCOMPARE(f->window->State().RandomInterval, 45);
    }

    void anIntervalOutsideTheListInConfigBecomesOne() {
        QTemporaryDir data;
        QFile config(data.filePath("config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("\"COM 2\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n150\r\n0\r\n0\r\n6\r\n#TRUE#\r\n");
        config.close();
        Start(data.path());
        QCOMPARE(f->window->State().RandomInterval, 1);
        f->window->Shutdown();
        QVERIFY(config.open(QIODevice::ReadOnly));
        QCOMPARE(config.readAll().split('\n').at(3), QByteArray("1\r"));
    }

    void everyTabClickRefreshesItsPage() {
        ClickTab(*f, 1);
        Pair(0, 0, 0) = {MakeTime(6, 15), kTrue, 0, 0, kFalse, 0};
        QCOMPARE(Time(0)->displayText(), QStringLiteral("__:__"));
        ClickTab(*f, 1); // the selected tab again
        QCOMPARE(Time(0)->displayText(), QStringLiteral("06:15"));
        ClickTab(*f, 0);
        QVERIFY(Find<QGroupBox>(*f, "frmRemote")->isVisible());
        QVERIFY(!Find<QGroupBox>(*f, "frmSchedule")->isVisible());
    }

    void aTimeTypedForTheNextMinuteGoesOutInThatMinute() {
        ClickTab(*f, 1);
        TypeInto(Device(), "C5");
        TypeAndLeave(Time(16), "0730", Time(17)); // Tuesday, first on time
        for (int i = 0; i < 40; ++i) {            // a minute of ticks
            f->clock.AdvanceSeconds(1.5);
            f->window->Tick();
        }
        QCOMPARE(f->TakeSent(), QStringList{"C5 On"});
    }
};

QTEST_MAIN(SchedulePanelTest)
#include "SchedulePanelTest.moc"
