#include "support/WindowFixture.h"

#include "app/SystemClocks.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

using namespace tarnwick;
using tarnwick::testing::WindowFixture;

class MainWindowTest : public QObject {
    Q_OBJECT

    static QAction* Action(WindowFixture& f, const char* name) {
        auto* a = f.window->findChild<QAction*>(QString::fromLatin1(name));
        if (!a) qFatal("no action %s", name);
        return a;
    }
    static QStringList Checked(WindowFixture& f, const QStringList& names) {
        QStringList on;
        for (const auto& n : names)
            if (Action(f, n.toLatin1().constData())->isChecked()) on << n;
        return on;
    }
    const QStringList ports{"mnuCOM1", "mnuCOM2", "mnuCOM3", "mnuCOM4"};
    const QStringList cpus{"mnuPentium1", "mnuPentium2", "mnuPentium3", "mnuPentium4"};
    const QStringList clocks{"mnu200MHz", "mnu400MHz", "mnu800MHz", "mnu1600MHz", "mnu3200MHz"};

private slots:
    void startUpOpensThePortAndPowersTheInterface() {
        WindowFixture f;
        QCOMPARE(Checked(f, ports), QStringList());
        f.window->Load();
        QVERIFY(f.serial->PortOpen());
        QCOMPARE(f.serial->CommPort(), 2);
        QCOMPARE(QString::fromStdString(f.serial->settings()), QStringLiteral("9600,N,8,1"));
        QVERIFY(f.serial->dtr);
        QVERIFY(f.serial->rts);
        QCOMPARE(Checked(f, ports), QStringList{"mnuCOM2"});
        QCOMPARE(Checked(f, cpus), QStringList{"mnuPentium1"});
        QCOMPARE(Checked(f, clocks), QStringList{"mnu200MHz"});
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Tarnwick V1.01.00"));
        auto* remote = f.window->findChild<QGroupBox*>("frmRemote");
        QVERIFY(remote && remote->isVisibleTo(f.window.get()));
        QVERIFY(!f.window->findChild<QGroupBox*>("frmSchedule")->isVisibleTo(f.window.get()));
        QVERIFY(!f.window->findChild<QGroupBox*>("frmSunrise")->isVisibleTo(f.window.get()));
    }

    void aPortThatWillNotOpenIsReportedAndStartUpGoesOn() {
        WindowFixture f(/*failOpen=*/true);
        f.window->Load();
        QCOMPARE(f.messages, QStringList{"Comm Port is already open"});
        QCOMPARE(Checked(f, ports), QStringList());
        // The lines are still set, ready for when a port opens.
        QVERIFY(f.serial->dtr && f.serial->rts);
    }

    void aLostPortIsLookedForQuietlyAndItsMarkSaysWhetherItIsOpen() {
        WindowFixture f(/*failOpen=*/true); // 07:29:10
        f.window->Load();
        const int tries = f.serial->openCalls;
        for (int i = 0; i < 40; ++i) { // a minute of ticks without a frame: one try, at 07:30
            f.clock.AdvanceSeconds(1.5);
            f.window->Tick();
        }
        QCOMPARE(f.serial->openCalls, tries + 1);
        QCOMPARE(f.messages.size(), 1); // no message box for a quiet try

        f.serial->failOpen = false; // plugged in: the next frame finds it
        f.window->findChild<QCheckBox*>("chkA(0)")->click();
        QCOMPARE(f.TakeSent(), QStringList{"A1 On"});
        QVERIFY(f.serial->PortOpen());
        f.window->Tick();
        QCOMPARE(Checked(f, ports), QStringList{"mnuCOM2"});

        f.serial->Vanish(); // unplugged again
        f.window->Tick();
        QCOMPARE(Checked(f, ports), QStringList());
    }

    void theClockNeverRunsAhead() {
        // 10:50:59.999 is still 10:50: a minute's entries never leave before it has begun.
        const QDateTime late(QDate(2026, 12, 8), QTime(10, 50, 59, 999));
        QCOMPARE(MinuteOfDay(ToDateTime(late)), 10 * 60 + 50);
        QCOMPARE(ToCivil(ToDateTime(late)).second, 59);
    }

    void choosingAPortSwitchesAndMarksIt() {
        WindowFixture f;
        f.window->Load();
        Action(f, "mnuCOM3")->trigger();
        QCOMPARE(f.window->State().CommPortNumber, 3);
        QCOMPARE(f.serial->CommPort(), 3);
        QVERIFY(f.serial->PortOpen());
        QCOMPARE(Checked(f, ports), QStringList{"mnuCOM3"});

        f.serial->failOpen = true;
        Action(f, "mnuCOM4")->trigger();
        QCOMPARE(f.messages, QStringList{"Comm Port is already open"});
        QCOMPARE(Checked(f, ports), QStringList());
        QCOMPARE(f.window->State().CommPortNumber, 4); // kept even though it failed
    }

    void cpuAndClockChoicesSetTheFactorsWithOneMarkEach() {
        WindowFixture f;
        f.window->Load();
        Action(f, "mnuPentium3")->trigger();
        Action(f, "mnu3200MHz")->trigger();
        QCOMPARE(f.window->State().CpuFactor * f.window->State().ClockFactor, 3600);
        QCOMPARE(Checked(f, cpus), QStringList{"mnuPentium3"});
        QCOMPARE(Checked(f, clocks), QStringList{"mnu3200MHz"});
        Action(f, "mnuPentium3")->trigger(); // choosing the marked item keeps it marked
        QCOMPARE(Checked(f, cpus), QStringList{"mnuPentium3"});
    }

    void shutdownRunsOnceWhicheverWayItStarts() {
        WindowFixture f;
        f.window->Load();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        Action(f, "mnuExit")->trigger();
        f.window->close();
        f.window->Shutdown();
        QCOMPARE(f.ends, 1);
        QVERIFY(!f.window->isVisible());
    }

    void anEditIsOnDiskAtTheNextMinuteWithoutExiting() {
        WindowFixture f;
        f.window->Load();
        QFile schedule(f.folder.filePath("schedule.txt"));
        const QByteArray before = [&] {
            schedule.open(QIODevice::ReadOnly);
            const QByteArray bytes = schedule.readAll();
            schedule.close();
            return bytes;
        }();
        f.window->State().WeeklySchedule[36][2][0] = {MakeTime(7, 30), kTrue, 0, 0, kFalse, 0};
        for (int i = 0; i < 40; ++i) { // 60 seconds of ticks
            f.clock.AdvanceSeconds(1.5);
            f.window->Tick();
        }
        QVERIFY(schedule.open(QIODevice::ReadOnly));
        const QByteArray after = schedule.readAll();
        QVERIFY(after != before);
        QVERIFY(after.contains("#07:30:00#\r\n#TRUE#"));
        QCOMPARE(f.ends, 0);
    }

    void secondaryWindowsAreSingleAndComeBack() {
        WindowFixture f;
        f.window->Load();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        Action(f, "mnuHelpIndex")->trigger();
        Action(f, "mnuHelpIndex")->trigger();
        Action(f, "mnuHelpAbout")->trigger();
        const auto windows = [&](const char* name) {
            int n = 0;
            for (auto* w : QApplication::topLevelWidgets()) n += w->objectName() == name;
            return n;
        };
        QCOMPARE(windows("frmHelp"), 1);
        QCOMPARE(windows("frmAbout"), 1);
        QWidget* help = f.window->findChild<QWidget*>("frmHelp");
        QVERIFY(help->isVisible() && f.window->findChild<QWidget*>("frmAbout")->isVisible());
        QTest::mouseClick(help->findChild<QPushButton*>("btnHelpOK"), Qt::LeftButton);
        QVERIFY(!help->isVisible());
        Action(f, "mnuHelpIndex")->trigger();
        QCOMPARE(f.window->findChild<QWidget*>("frmHelp"), help);
        QVERIFY(help->isVisible());
        Action(f, "mnuLocation")->trigger();
        QVERIFY(f.window->findChild<QWidget*>("frmLocation")->isVisible());
        // The main window keeps answering meanwhile.
        Action(f, "mnuPentium2")->trigger();
        QCOMPARE(f.window->State().CpuFactor, 3);
        f.window->Shutdown();
        QCOMPARE(windows("frmHelp") + windows("frmAbout") + windows("frmLocation"), 0);
    }

    void thePageShownIsAlwaysThatOfTheSelectedTabAndTheWindowKeepsItsSize() {
        WindowFixture f;
        f.window->Load();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* tabs = f.window->findChild<QTabBar*>("TabStrip1");
        const auto shown = [&] {
            QStringList names;
            for (const char* page : {"frmRemote", "frmSchedule", "frmSunrise"})
                if (f.window->findChild<QGroupBox*>(page)->isVisible()) names << page;
            return names;
        };
        const QSize size = f.window->size();
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(shown(), QStringList{"frmSchedule"});
        QWheelEvent wheel(tabs->rect().center(), tabs->mapToGlobal(tabs->rect().center()), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &wheel);
        QCOMPARE(shown(), QStringList{"frmSunrise"});
        QTest::keyClick(tabs, Qt::Key_Left);
        QCOMPARE(shown(), QStringList{"frmSchedule"});
        // Ctrl+Tab and its kin, from wherever the focus is.
        QWidget* box = f.window->findChild<QWidget*>("mebOnOff(3)");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(shown(), QStringList{"frmSunrise"});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shown(), QStringList{"frmSchedule"});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(shown(), QStringList{"frmRemote"});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(shown(), QStringList{"frmSchedule"});
        QCOMPARE(tabs->currentIndex(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(f.window->size(), size);
    }

    void menuCaptionsAndAccessKeys() {
        WindowFixture f;
        QCOMPARE(Action(f, "mnuExit")->text(), QStringLiteral("E&xit"));
        QCOMPARE(Action(f, "mnu3200MHz")->text(), QStringLiteral("1.633 GHz to 3.2 GHz"));
        QCOMPARE(Action(f, "mnuCOM1")->text(), QStringLiteral("COM 1"));
        QCOMPARE(Action(f, "mnuLocation")->text(), QStringLiteral("&Location"));
        QCOMPARE(Action(f, "mnuHelpIndex")->text(), QStringLiteral("&Help"));
        QCOMPARE(Action(f, "mnuHelpAbout")->text(), QStringLiteral("&About"));
        QStringList menus;
        for (auto* a : f.window->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Configure", "&Help"}));
        for (auto* a : f.window->findChildren<QAction*>()) QVERIFY(a->shortcut().isEmpty());
        auto* tabs = f.window->findChild<QTabBar*>("TabStrip1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(2), QStringLiteral("Sunrise and Sunset"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
