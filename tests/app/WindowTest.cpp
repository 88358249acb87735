// The real main window on fakes, driven as a user drives it: clicks, typing, focus moves, menus,
// the timer running on a fake clock, frames read back off the lines, files on disk.

#include "app/MainWindow.h"
#include "app/QtSerialControl.h"
#include "app/SystemClocks.h"
#include "base/RandomOffset.h"
#include "base/TimeText.h"
#include "sun/Solar.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeBox.h"
#include "x10/FrameDecoder.h"

#include "support/Fakes.h"

#include <QtTest>
#include <QtWidgets>

#include <fcntl.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

// The widget of that name, or the one of that name and index, as "chkA(2)".
template <typename T = QWidget> T* Get(const QObject* parent, const QString& name, int index = -1) {
    return parent->findChild<T*>(index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index));
}

// Clicks into a field, replaces what it holds keystroke by keystroke and leaves it with Tab.
void Type(QWidget* box, const QString& keys) {
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, keys);
    QTest::keyClick(box, Qt::Key_Tab);
}

struct Program {
    Program(const QString& folder, bool failOpen, LocalSeconds now)
        : path(folder + "/"), clock(now, [](auto) { return std::chrono::hours{-5}; }), serial(&recording) {
        serial->failOpen = failOpen;
        SetMessageHandler([this](const QString& text) { messages << text; });
        engine = std::make_unique<Engine>(Platform{serial, &clock, nullptr, &random, folder.toStdString()});
        window = std::make_unique<MainWindow>(*engine, folder.toStdString());
        window->SetEndAction([this] { ++ends; });
    }
    ~Program() {
        window.reset();
        SetMessageHandler({});
    }
    // Start-up, and the window on the screen showing the given tab.
    void Start(int tab = 0) {
        window->Load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (tab > 0) ClickTab(tab);
    }
    QByteArray Read(const QString& name) const {
        QFile f(path + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile f(path + name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    template <typename T = QWidget> T* Get(const QString& name, int index = -1) {
        return ::Get<T>(window.get(), name, index);
    }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2)); }
    void ClickTab(int index) {
        auto* tabs = Get<QTabBar>("TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    // Types over the text of an editable combo box, keystroke by keystroke, leaving the focus where it is.
    void TypeInto(const QString& box, const QString& keys) {
        QLineEdit* edit = Get<QComboBox>(box)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    }
    // Clicks into an editable combo box, types over its text and leaves it with Tab.
    void Pick(const QString& box, const QString& keys) { Type(Get<QComboBox>(box)->lineEdit(), keys); }
    // A timer tick every 1.5 s for the given number of minutes.
    void RunMinutes(int minutes) {
        for (int i = 0; i < minutes * 40; ++i) {
            clock.AdvanceSeconds(1.5);
            window->Tick();
        }
    }
    // The frames that went out on the lines so far, as "C3 On"; forgets them afterwards.
    QStringList TakeSent() {
        QStringList sent;
        FrameDecoder decoder([&sent](const std::string& line) { sent << QString::fromStdString(line); });
        for (const auto& c : serial->changes) {
            (c.line == LineChange::DTR ? dtr : rts) = c.asserted;
            decoder.LinesChanged(dtr, rts);
        }
        serial->changes.clear();
        return sent;
    }
    Engine& Run() { return window->engine(); }
    // The menu items marked and the pages shown, by name.
    QStringList On() {
        QStringList on;
        for (QAction* a : window->findChildren<QAction*>())
            if (a->isChecked()) on << a->objectName();
        for (const char* page : {"frmRemote", "frmSchedule", "frmSunrise"})
            if (Get(page)->isVisible()) on << page;
        return on;
    }

    QString path;
    FakeClock clock;
    DefaultRandom random;
    RecordingSerialControl recording;
    RecordingSerialControl* serial;
    bool dtr = true, rts = true;
    QStringList messages;
    int ends = 0;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> data;
    std::unique_ptr<Program> f;

    // A new run of the program on the same data folder; on a Tuesday unless told otherwise.
    void Run(bool failOpen = false, LocalSeconds now = LocalAt(2026, 12, 8, 7, 29, 10)) {
        f.reset();
        f = std::make_unique<Program>(data->path(), failOpen, now);
    }

private slots:
    void init() { data = std::make_unique<QTemporaryDir>(), Run(); }
    void cleanup() { f.reset(); }

    // ---- Start-up, the port, the menus, the minute save, the tabs, the other windows

    void startUpWritesTheMissingFilesOpensThePortWithTheInterfacePoweredAndMarksTheSettings() {
        f->Start();
        QVERIFY(f->Read("config.txt") ==
                "\"COM 2\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n45\r\n0\r\n0\r\n6\r\n#TRUE#\r\n");
        QVERIFY(f->Read("schedule.txt") ==
                QByteArray("#00:00:00#\r\n#FALSE#\r\n0\r\n#00:00:00#\r\n#FALSE#\r\n0\r\n").repeated(7168));
        QVERIFY(f->Read("Sunrise.txt") ==
                QByteArray("0\r\n#00:00:00#\r\n0\r\n#00:00:00#\r\n").repeated(1024));
        QVERIFY(f->Read("names.txt") == QByteArray("\"\"\r\n").repeated(256));
        QVERIFY(f->serial->open);
        QVERIFY(f->serial->dtr);
        QVERIFY(f->serial->rts);
        QVERIFY(f->serial->port == 2);
        QVERIFY(f->messages.isEmpty());
        QCOMPARE(f->On(), (QStringList{"mnuPentium1", "mnu200MHz", "mnuCOM2", "frmRemote"}));
        // The real clock never runs ahead: 10:50:59.999 is still 10:50, so a minute's entries never
        // leave before it has begun.
        SystemClock real;
        for (int i = 0; i < 1000; ++i) QVERIFY(real.NowUtc() <= std::chrono::system_clock::now());
    }

    void aLostPortIsReportedAtStartThenLookedForQuietlyAndItsMarkSaysWhetherItIsOpen() {
        Run(/*failOpen=*/true);
        f->window->Load();
        QCOMPARE(f->messages, QStringList{"Comm Port is already open"});
        const int tries = f->serial->openCalls;
        f->RunMinutes(1); // no frame: one try, at 07:30
        QCOMPARE(f->serial->openCalls, tries + 1);
        QVERIFY(!f->On().contains("mnuCOM2"));
        f->serial->failOpen = false; // plugged in: the next frame finds it
        f->Get<QCheckBox>("chkA", 0)->click();
        QCOMPARE(f->TakeSent(), QStringList{"A1 On"});
        f->window->Tick();
        QVERIFY(f->On().contains("mnuCOM2"));
        f->serial->open = false; // unplugged again
        f->window->Tick();
        QVERIFY(!f->On().contains("mnuCOM2"));
        QVERIFY(f->messages.size() == 1);
    }

    // What went out, and what did not, in the status bar and in history.txt: a click with no
    // port, then two entries of one minute leaving a tick apart; a full history is moved aside.
    void theStatusBarAndTheHistorySayWhatWentOutAndWhatDidNot() {
        Run(/*failOpen=*/true);
        f->Write("names.txt", QByteArray("\"\"\r\n").repeated(36) + "\"Porch\tLight\"\r\n" +
                                  QByteArray("\"\"\r\n").repeated(219));
        const QByteArray off = "#00:00:00#\r\n#FALSE#\r\n0\r\n", empty = (off + off).repeated(4);
        // On at 07:30 on Tuesdays, first pair.
        const QByteArray device = empty.repeated(2) + "#07:30:00#\r\n#TRUE#\r\n0\r\n" + off +
                                  (off + off).repeated(3) + empty.repeated(4);
        f->Write("schedule.txt",
                 device + empty.repeated(7 * 35) + device + empty.repeated(7 * 219)); // A1, C5
        f->Write("history.txt", QByteArray(FrameHistory::kLimitBytes - 40, 'x'));
        f->Start();
        const auto status = [this] {
            QStringList texts;
            for (const char* label : {"lblInterface", "lblLastFrame", "lblWaiting"})
                texts << f->Get<QLabel>(label)->text();
            return texts;
        };
        QCOMPARE(status(), (QStringList{"COM 2 (/dev/ttyS1): not open (No such file or directory)", "", ""}));
        f->Click(f->Get("chkA", 0));
        QCOMPARE(status()[1], QStringLiteral("07:29:10  A1 On  (manual)  not sent: no port open"));
        // A screen reader hears what a panel is and its whole text; a text cut short for want of
        // room shows whole in its tooltip.
        const auto heard = [this](const char* label) {
            return QAccessible::queryAccessibleInterface(f->Get(label))->text(QAccessible::Name);
        };
        QCOMPARE(heard("lblInterface"), "Interface: " + status()[0]);
        QCOMPARE(heard("lblLastFrame"), "Last frame: " + status()[1]);
        int cut = 0;
        for (const char* name : {"lblInterface", "lblLastFrame"}) {
            auto* label = f->Get<QLabel>(name);
            const bool fits =
                label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
            QVERIFY2(fits || label->toolTip() == label->text(), name);
            cut += !fits;
        }
        QVERIFY(cut > 0);
        QVERIFY(f->window->width() <= f->window->screen()->availableGeometry().width());
        f->serial->failOpen = false; // plugged in: the next frame opens it
        for (int tick = 0; tick < 34; ++tick) f->clock.AdvanceSeconds(1.5), f->window->Tick();
        QCOMPARE(status(),
                 (QStringList{"COM 2 (/dev/ttyS1)", "07:30:01  A1 On  (schedule)", "1 frame waiting"}));
        f->clock.AdvanceSeconds(1.5), f->window->Tick();
        QCOMPARE(status(),
                 (QStringList{"COM 2 (/dev/ttyS1)", "07:30:02  C5 On  Porch Light  (schedule)", ""}));
        QCOMPARE(f->Read("history.1.txt").size(), qsizetype(FrameHistory::kLimitBytes - 40));
        QCOMPARE(f->Read("history.txt"),
                 "2026-12-08T07:29:10-05:00\tA1 On\t\tmanual\tnot sent\tno port open\r\n"
                 "2026-12-08T07:30:01-05:00\tA1 On\t\tschedule\r\n"
                 "2026-12-08T07:30:02-05:00\tC5 On\tPorch Light\tschedule\r\n");
    }

    // The port's message box runs the event loop, and the timer with it.
    void aTickDuringTheStartUpMessageSendsAndSavesNothing() {
        Run(/*failOpen=*/true, LocalAt(2026, 12, 6, 7, 29, 10)); // a Sunday
        const QByteArray schedule =
            "#07:30:00#\r\n#TRUE#\r\n1\r\n#00:00:00#\r\n#FALSE#\r\n0\r\n"; // A1 at 07:31
        f->Write("schedule.txt", schedule);
        SetMessageHandler([this](const QString&) { f->RunMinutes(3); });
        f->window->Load();
        QVERIFY(f->TakeSent().isEmpty());
        QVERIFY(f->Read("schedule.txt") == schedule);
    }

    void theMenusSetAndMarkWhatIsInForceAndExitSavesIt() {
        f->window->Load();
        for (const char* item : {"mnuPentium3", "mnu3200MHz", "mnuPentium3", "mnuCOM3"})
            f->Get<QAction>(item)->trigger();
        QCOMPARE(f->Run().CurrentSettings().cpuFactor * f->Run().CurrentSettings().clockFactor, 3600);
        QVERIFY(f->serial->open);
        QVERIFY(f->serial->port == 3);
        QCOMPARE(f->On(), (QStringList{"mnuPentium3", "mnu3200MHz", "mnuCOM3"}));
        f->serial->failOpen = true;
        f->Get<QAction>("mnuCOM4")->trigger();
        QCOMPARE(f->messages, QStringList{"Comm Port is already open"});
        QCOMPARE(f->On(), (QStringList{"mnuPentium3", "mnu3200MHz"}));
        f->Get<QAction>("mnuExit")->trigger();
        f->window->close(); // asked again, shutdown does not run again
        QVERIFY(f->Read("config.txt").startsWith("\"COM 4\"\r\n\"Pentium III\"\r\n\"3200MHz\"\r\n"));
        QVERIFY(f->ends == 1);
    }

    // Whatever selects a tab shows its page; Ctrl+Tab and its kin work from wherever the focus is.
    void thePageShownIsAlwaysThatOfTheSelectedTabAndTheWindowKeepsItsSize() {
        f->Start();
        auto* tabs = f->Get<QTabBar>("TabStrip1");
        const QSize size = f->window->size();
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(f->On().mid(3), QStringList{"frmSchedule"});
        QWheelEvent wheel({}, {}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &wheel);
        QCOMPARE(f->On().mid(3), QStringList{"frmSunrise"});
        const std::tuple<QWidget*, Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
            {tabs, Qt::Key_Left, {}, "frmSchedule"},
            {f->Get("mebOnOff", 3), Qt::Key_Tab, Qt::ControlModifier, "frmSunrise"},
            {nullptr, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "frmSchedule"},
            {nullptr, Qt::Key_PageUp, Qt::ControlModifier, "frmRemote"},
            {nullptr, Qt::Key_PageDown, Qt::ControlModifier, "frmSchedule"}};
        for (const auto& [focus, key, modifiers, page] : keys) {
            if (focus) focus->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            QCOMPARE(f->On().mid(3), QStringList{page});
        }
        QCoreApplication::processEvents();
        QCOMPARE(f->window->size(), size);
    }

    // At the font shown, the randomize caption and the About window's safety notice keep to their two
    // lines, and the Sunrise and Sunset labels stand halfway down both rows of their pair.
    void captionsKeepToTheirLinesAndTheSunLabelsStandBesideBothRowsOfTheirPair() {
        f->Start(1); // each page measured as shown
        f->ClickTab(2);
        f->Get<QAction>("mnuHelpAbout")->trigger();
        for (const char* name : {"lblRandomize", "lblSafety"}) {
            const auto* label = f->Get<QLabel>(name);
            const double lines =
                label->heightForWidth(label->width()) / double(label->fontMetrics().lineSpacing());
            QCOMPARE(qRound(lines), 2);
        }
        for (const auto& [side, row] : {std::pair{"lblSunrise", 0}, std::pair{"lblSunset", 2}}) {
            const int middle = (f->Get("cboSunriseWhen", row)->geometry().center().y() +
                                f->Get("cboSunriseWhen", row + 1)->geometry().center().y()) /
                               2;
            QVERIFY2(qAbs(f->Get(side)->geometry().center().y() - middle) <= 1, side);
        }
    }

    // A pseudo-terminal stands in for a USB adapter: its device can go away and come back under
    // a fixed path. It has no modem lines, so what the port is asked to do with them is watched.
    void aRealPortOpensWithBothLinesUpAndIsOpenedAgainAfterItWentAway() {
        const std::string link = data->filePath("ttyUSB0").toStdString();
        const auto plugIn = [&link] {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
            ::unlink(link.c_str());
            return ::symlink(::ptsname(master), link.c_str()) == 0 ? master : -1;
        };
        int master = plugIn();
        QVERIFY(master >= 0);
        QtSerialControl serial({{2, link}});
        QStringList calls;
        serial.SetLineObserver([&calls](QtSerialControl::Line line, bool up) {
            calls << QString(line == QtSerialControl::Line::Dtr ? "DTR" : "RTS") + (up ? "+" : "-");
        });
        const Settings settings; // COM 2
        Transmitter transmitter(settings, serial, nullptr);
        std::vector<FrameReport> reports;
        transmitter.SetFrameObserver([&reports](const FrameReport& r) { reports.push_back(r); });
        QVERIFY(transmitter.OpenPort());
        // Nothing lowers a line at the open; a pseudo-terminal has no modem lines, so the first
        // raise is refused already.
        QCOMPARE(calls, (QStringList{"DTR+"}));
        ::close(master); // unplugged
        QTRY_VERIFY_WITH_TIMEOUT(!serial.IsOpen(), 5000);
        transmitter.ReopenBeforeFrames();
        transmitter.Send(76); // no adapter: the frame is lost, the program goes on
        QVERIFY(!serial.IsOpen());
        QVERIFY(transmitter.FrameStep() == 0);
        QVERIFY((master = plugIn()) >= 0); // plugged in again
        calls.clear();
        transmitter.Send(76); // opened again; the frame's first change is refused and it stops
        QVERIFY(serial.IsOpen());
        QCOMPARE(calls, (QStringList{"DTR+", "RTS+", "DTR+"}));
        QCOMPARE(reports.size(), size_t(2));
        QCOMPARE(reports[0].failure, std::string("no port open"));
        QVERIFY(!reports[1].wentOut);
        QVERIFY(reports[1].failure.starts_with("RTS would not change: "));
        ::close(master);
    }

    // A device on the port that talks without end (noise, a port mapped by mistake): what it
    // sends is dropped, so months of it cannot fill the memory.
    void whatComesInOnThePortIsDropped() {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0);
        QCOMPARE(::grantpt(master), 0);
        QCOMPARE(::unlockpt(master), 0);
        QtSerialControl serial({{2, ::ptsname(master)}});
        QVERIFY(serial.Open(2));
        const std::string chunk(4096, 'x');
        std::size_t sent = 0;
        QElapsedTimer timer;
        timer.start();
        while (sent < 1024 * 1024 && timer.elapsed() < 10000) {
            const ssize_t n = ::write(master, chunk.data(), chunk.size());
            if (n > 0) sent += static_cast<std::size_t>(n);
            QCoreApplication::processEvents();
        }
        QVERIFY(sent >= 1024 * 1024); // read as it came
        QTRY_VERIFY(serial.UnreadInput() <= QtSerialControl::kReadBufferBytes);
        serial.Close();
        ::close(master);
    }

    // ---- Remote Control

    void unitBoxesAndButtonsSwitchTheHouseShownAndSwitchingHousesSendsNothing() {
        f->Start();
        const auto unit = [this](int i) { return f->Get<QCheckBox>("chkA", i); };
        f->TypeInto("cboAddress", "C");
        for (int i : {2, 2, 0}) f->Click(unit(i));
        f->TypeInto("cboAddress", "P");
        f->Click(f->Get("btnBright"));
        f->TypeInto("cboAddress", "a"); // any case
        f->Click(f->Get("btnDim"));
        QVERIFY(!unit(0)->isChecked());
        f->TypeInto("cboAddress", "C");
        QVERIFY(unit(0)->isChecked());
        QVERIFY(!unit(2)->isChecked());
        QCOMPARE(f->TakeSent(), (QStringList{"C3 On", "C3 Off", "C1 On", "P Bright", "A Dim"}));
        // Tab runs through the units by number, then to the house code and its buttons.
        QStringList order, expected;
        for (int u = 0; u < 16; ++u)
            expected << QStringLiteral("txtA(%1)").arg(u) << QStringLiteral("chkA(%1)").arg(u);
        expected += QStringList{"cboAddress", "btnDim", "btnBright"};
        f->Get("txtA", 0)->setFocus();
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* at = QApplication::focusWidget();
            order << (qobject_cast<QComboBox*>(at->parentWidget()) ? at->parentWidget() : at)->objectName();
            QTest::keyClick(at, Qt::Key_Tab);
        }
        QCOMPARE(order, expected);
    }

    // Whatever its case, a house or device typed is the one used; a text that names nothing
    // gives way, once left, to what the program uses instead.
    void whatIsTypedIntoABoxIsWhatIsUsedAndTheBoxShowsWhatIsUsed() {
        f->Start();
        f->Pick("cboAddress", "c");
        f->Click(f->Get("chkA", 2));
        QCOMPARE(f->TakeSent(), QStringList{"C3 On"});
        f->ClickTab(1);
        f->Pick("cboDevice", "a3");
        Type(f->Get("mebOnOff", 16), "0730");
        f->Pick("cboDevice", "Q7");
        Type(f->Get("mebOnOff", 17), "2200");
        f->Pick("cboRandomTime", "150");
        f->ClickTab(2);
        f->Pick("cboSunriseDevice", "b5");
        f->Pick("cboSunriseWhen(0)", "Sometime");
        f->Pick("cboSunriseAction(0)", "oN");
        QStringList shown;
        for (const char* box : {"cboAddress", "cboDevice", "cboRandomTime", "cboSunriseDevice",
                                "cboSunriseWhen(0)", "cboSunriseAction(0)"})
            shown << f->Get<QComboBox>(box)->currentText();
        QCOMPARE(shown, (QStringList{"C", "A1", "1", "B5", "At Sunrise", "On"}));
        QCOMPARE(f->Run().Weekly()[2][2][0], (SchedulePair{{TimeOfDay(7, 30), true, false, {}}, {}}));
        QCOMPARE(f->Run().Weekly()[0][2][0], (SchedulePair{{}, {TimeOfDay(22, 0), true, false, {}}}));
        QCOMPARE(f->Run().RandomInterval(), std::chrono::minutes{1});
        QCOMPARE(f->Run().SunEvents()[20][0], (SunEvent{SunWhen::At, {}, SunAction::On, false, {}}));
    }

    void namesStayWithTheirHouseAndComeBackAfterARestartWithoutQuotes() {
        f->Start();
        const auto name = [this](int i) { return f->Get<QLineEdit>("txtA", i); };
        const auto type = [&](int i, const char* text) {
            name(i)->setFocus(), QTest::keyClicks(name(i), text);
        };
        QApplication::clipboard()->setText("a\"\tb");
        name(3)->setFocus();
        name(3)->paste();
        QCOMPARE(name(3)->text(), QStringLiteral("a b"));
        type(1, "Say \"hi\"");
        f->TypeInto("cboAddress", "B"); // the name box keeps the focus meanwhile
        type(4, "Porch");
        type(2, "Den Lamp");
        f->window->Shutdown(); // still in its box: kept all the same
        QVERIFY(f->Read("names.txt").startsWith("\"\"\r\n\"Say hi\"\r\n\"\"\r\n\"a b\"\r\n"));
        Run();
        f->Start();
        QCOMPARE(name(1)->text(), QStringLiteral("Say hi"));
        f->TypeInto("cboAddress", "B");
        QCOMPARE(name(2)->text() + name(4)->text(), QStringLiteral("Den LampPorch"));
    }

    void aLongerNameFromTheFileStaysWholeWhileTypingStopsAt18() {
        const QByteArray longName = "\"Garden lights by the back door\"\r\n";
        f->Write("names.txt", longName + "\"\"\r\n" + longName + QByteArray("\"\"\r\n").repeated(253));
        f->Start();
        const auto name = [this](int i) { return f->Get<QLineEdit>("txtA", i); };
        QCOMPARE(name(0)->text(), QStringLiteral("Garden lights by the back door"));
        QTest::keyClicks(name(0), "s"); // grows no further
        name(2)->setFocus();
        QTest::keyClick(name(2), Qt::Key_Backspace); // but may shrink
        QCOMPARE(name(2)->text().size(), 29);
        name(1)->setFocus();
        QTest::keyClicks(name(1), "Twenty characters!!!");
        f->RunMinutes(1); // the minute save, then exit
        f->window->Shutdown();
        QVERIFY(f->Read("names.txt").startsWith(longName + "\"Twenty characters!\"\r\n"));
    }

    // ---- Schedule; box i is weekday i / 8 (Sunday 0), pair i / 2 % 4, on or off by i % 2

    void aDeviceShowsItsTimetableAndItsNameAsTypedOnEveryTabClick() {
        f->Start();
        f->Run().SetTime(36, 2, 0, true, TimeOfDay(7, 30));
        f->Run().SetRandomised(36, 2, 0, false, true); // an off half with a shift, itself off
        f->Run().SetName(36, "<b>Hall");
        const auto time = [this](int i) { return f->Get<QLineEdit>("mebOnOff", i)->displayText(); };
        // What a label reads out, as a screen reader gets it: its text without markup.
        const auto said = [this](const char* label) {
            return QAccessible::queryAccessibleInterface(f->Get(label))->text(QAccessible::Name);
        };
        f->ClickTab(1);
        f->TypeInto("cboDevice", "C5");
        QCOMPARE(time(16) + time(17), QStringLiteral("07:30__:__")); // a time that is off shows empty
        QVERIFY(f->Get<QCheckBox>("chkRandom", 17)->isChecked());
        QVERIFY(!f->Get<QCheckBox>("chkRandom", 16)->isChecked());
        f->ClickTab(2);
        f->TypeInto("cboSunriseDevice", "C5");
        QCOMPARE(said("lblDevice") + said("lblSunriseDevice"), QStringLiteral("<b>Hall<b>Hall"));
        f->Run().SetTime(36, 2, 0, true, TimeOfDay(6, 15));
        f->ClickTab(1);
        QCOMPARE(time(16), QStringLiteral("06:15"));
        f->Run().SetTime(36, 2, 0, true, TimeOfDay(6, 20));
        f->ClickTab(1); // the selected tab again
        QCOMPARE(time(16), QStringLiteral("06:20"));
        f->TypeInto("cboDevice", "Q7"); // no such device: A1
        QCOMPARE(time(16), QStringLiteral("__:__"));
    }

    void aTypedTimeIsSetAndABadOneSwitchedOffAndATimeForTheNextMinuteGoesOutInIt() {
        f->Start(1);
        f->Run().SetRandomised(0, 2, 0, true, true);
        const SchedulePair& pair = f->Run().Weekly()[0][2][0];
        const std::chrono::minutes shift = pair.on.shift;
        QVERIFY(pair.on.randomised);
        QVERIFY(shift != std::chrono::minutes{0});
        QStringList said;
        for (const char* bad : {"6", "2400", "1260"}) {
            Type(f->Get("mebOnOff", 16), "2130");
            QCOMPARE(pair, (SchedulePair{{TimeOfDay(21, 30), true, true, shift}, {}}));
            Type(f->Get("mebOnOff", 16), bad);
            QVERIFY(f->Get<QLineEdit>("mebOnOff", 16)->displayText() == "__:__");
            QCOMPARE(pair, (SchedulePair{{{}, false, true, shift}, {}}));
            said << f->window->statusBar()->currentMessage().remove("Tuesday, first on time not taken: ");
        }
        QCOMPARE(said, (QStringList{"6_:__ is incomplete (type hh:mm, as 07:30)",
                                    "24:00 is not a time of day (00:00 to 23:59)",
                                    "12:60 is not a time of day (00:00 to 23:59)"}));
        Type(f->Get("mebOnOff", 16), "0000"); // midnight is a real time
        QVERIFY(pair.on.enabled);
        QCOMPARE(pair.on.time, TimeOfDay(0, 0));
        Type(f->Get("mebOnOff", 18), "0730"); // Tuesday's second pair, a minute after the start
        f->TakeSent();
        f->RunMinutes(1);
        QCOMPARE(f->TakeSent(), QStringList{"A1 On"});
    }

    // Typing into an empty box starts at its first place wherever the click landed; and a time
    // still being typed is neither lost nor cut short when another window takes the focus, the
    // page is redrawn or the program ends.
    void aTimeBeingTypedIsNeitherLostNorCutShort() {
        f->Start(1);
        const auto box = [this](int i) { return f->Get<QLineEdit>("mebOnOff", i); };
        QTest::mouseClick(box(16), Qt::LeftButton, {}, box(16)->rect().center());
        QTest::keyClicks(box(16), "073");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(box(16)->displayText(), QStringLiteral("07:3_"));
        f->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        QTest::keyClicks(box(16), "0");
        f->ClickTab(1);
        QCOMPARE(box(16)->displayText(), QStringLiteral("07:30"));
        QTest::mouseClick(box(17), Qt::LeftButton);
        QTest::keyClicks(box(17), "2215");
        // The context menu's right-click leaves the cursor where typing left it; "7:30" is 07:30.
        QTest::mouseClick(box(18), Qt::LeftButton);
        QTest::keyClicks(box(18), "21");
        const QPoint at = box(18)->rect().center();
        QTest::mousePress(box(18), Qt::RightButton, {}, at);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, box(18)->mapToGlobal(at));
        QApplication::sendEvent(box(18), &menu);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClicks(box(18), "30");
        QTest::mouseClick(box(19), Qt::LeftButton);
        QTest::keyClicks(box(19), "7:30");
        f->Get<QAction>("mnuExit")->trigger();
        QVERIFY(f->Read("schedule.txt")
                    .contains("#07:30:00#\r\n#TRUE#\r\n0\r\n#22:15:00#\r\n#TRUE#\r\n0\r\n"
                              "#21:30:00#\r\n#TRUE#\r\n0\r\n#07:30:00#\r\n#TRUE#"));
    }

    void theRandomBoxesDrawAShiftFromTheIntervalAndARefreshDrawsNothing() {
        f->Start(1);
        f->TypeInto("cboRandomTime", "30");
        auto* weekly = f->Get<QCheckBox>("chkRandom", 1);
        const ScheduleTime& off = f->Run().Weekly()[0][0][0].off;
        const SunEvent& sunEvent = f->Run().SunEvents()[0][3];
        for (QCheckBox* box : {weekly, weekly, weekly}) box->click();
        f->ClickTab(2);
        f->Get<QCheckBox>("chkSunriseRandom", 3)->click();
        f->ClickTab(1);
        QVERIFY(off.randomised);
        QVERIFY(off.shift >= std::chrono::minutes{-14});
        QVERIFY(off.shift <= std::chrono::minutes{15});
        QVERIFY(off.shift != std::chrono::minutes{0});
        QVERIFY(sunEvent.randomised);
        QVERIFY(sunEvent.shift >= std::chrono::minutes{-14});
        QVERIFY(sunEvent.shift <= std::chrono::minutes{15});
        QVERIFY(sunEvent.shift != std::chrono::minutes{0});
        const std::chrono::minutes drawn = off.shift;
        f->TypeInto("cboDevice", "B3");
        f->TypeInto("cboDevice", "A1");
        QVERIFY(weekly->isChecked());
        QCOMPARE(off.shift, drawn);
        weekly->click();
        QVERIFY(!off.randomised);
        QCOMPARE(off.shift, std::chrono::minutes{0});
        f->TypeInto("cboRandomTime", "150"); // not in the list, nor from config.txt
        QCOMPARE(f->Run().RandomInterval(), std::chrono::minutes{1});
        Run();
        f->Write("config.txt",
                 "\"COM 2\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n150\r\n0\r\n0\r\n6\r\n#TRUE#\r\n");
        f->window->Load();
        QCOMPARE(f->Run().RandomInterval(), std::chrono::minutes{1});
    }

    // The week ahead, kept up to date while it is open; Enter or a double-click on a switching
    // shows its device on the page that plans it.
    void theUpcomingSwitchingsFollowTheTablesAndLeadToTheirDevice() {
        f->Start();
        f->Run().SetLocation({32.78, -96.8, 6, true});
        f->Run().SetName(36, "Hall");
        f->Run().SetTime(36, 2, 0, true, TimeOfDay(7, 45));
        f->Run().SetTime(36, 2, 0, false, TimeOfDay(23, 0));
        f->Run().SetRandomised(36, 2, 0, false, true);
        const int shift = static_cast<int>(f->Run().Weekly()[36][2][0].off.shift.count());
        f->Run().SetSunEvent(18, 2, SunWhen::After, std::chrono::minutes{30}, SunAction::Off);
        f->Get<QAction>("mnuUpcoming")->trigger();
        auto* list = f->Get<QTreeWidget>("lstUpcoming");
        const auto row = [list](int i) {
            QStringList texts;
            for (int c = 0; c < 5; ++c) texts << list->topLevelItem(i)->text(c);
            return texts.join(" | ");
        };
        SunTimes sun; // each day's own sunset
        const auto sunset = [&](int day) {
            CalculateSunTimes(f->Run().CurrentLocation(), LocalDay{std::chrono::year{2026} / 12 / (8 + day)},
                              sun);
            return QString::fromStdString(
                FormatBoxTime(TimeOfDay(sun.sunset.SinceMidnight() + std::chrono::minutes{30})));
        };
        // Sunset moves a minute on the 11th here: the seventh day's own time is used.
        QVERIFY(list->topLevelItemCount() == 9);
        QVERIFY(sunset(0) != sunset(6));
        QCOMPARE(row(0), QStringLiteral("Tue 2026-12-08 07:45 | C5 | Hall | On | Tuesday, pair 1"));
        QCOMPARE(row(1), "Tue 2026-12-08 " + sunset(0) + " | B3 |  | Off | 00:30 after sunset");
        QCOMPARE(row(2), QStringLiteral("Tue 2026-12-08 %1 | C5 | Hall | Off | Tuesday, pair 1, "
                                        "randomized (now %2 min, interval 45 min)")
                             .arg(QString::fromStdString(FormatBoxTime(TimeOfDay(23, shift))))
                             .arg(shift));
        QCOMPARE(row(8), "Mon 2026-12-14 " + sunset(6) + " | B3 |  | Off | 00:30 after sunset");
        f->ClickTab(1);
        f->TypeInto("cboDevice", "C5");
        Type(f->Get("mebOnOff", 16), "0750");
        f->window->Tick();
        QCOMPARE(row(0).left(20), QStringLiteral("Tue 2026-12-08 07:50"));
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(f->Get("frmSunrise")->isVisible());
        QVERIFY(f->Get<QComboBox>("cboSunriseDevice")->currentText() == "B3");
        const QRect first = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          first.center()); // a double click's first click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
        QVERIFY(f->Get("frmSchedule")->isVisible());
        QVERIFY(f->Get<QLineEdit>("mebOnOff", 16)->displayText() == "07:50");
        f->clock.Set(LocalAt(2026, 12, 8, 7, 55, 0)); // gone from the top, and back at the end
        f->window->Tick();
        QVERIFY(list->topLevelItemCount() == 9);
        QVERIFY(row(0).startsWith("Tue 2026-12-08 " + sunset(0)));
        QCOMPARE(row(8), QStringLiteral("Tue 2026-12-15 07:50 | C5 | Hall | On | Tuesday, pair 1"));
    }

    // ---- Sunrise and Sunset; rows 0 and 1 are for sunrise, 2 and 3 for sunset

    void sunEventChoicesAreStoredAsTheirCodesAndEachDeviceShowsItsOwn() {
        f->Start(2);
        const auto box = [this](const char* name, int row) { return f->Get<QComboBox>(name, row); };
        const auto offset = [this](int row) { return f->Get<QLineEdit>("mebSunriseOffset", row); };
        const SunEvent* events = f->Run().SunEvents()[0].data();
        box("cboSunriseWhen", 2)->setCurrentIndex(2);   // "After Sunset"
        box("cboSunriseAction", 3)->setCurrentIndex(2); // "Off"
        f->TypeInto("cboSunriseAction(1)", "Soon");     // no such entry: nothing
        Type(offset(0), "0030");
        QVERIFY(events[2].when == SunWhen::After);
        QVERIFY(events[3].action == SunAction::Off);
        QVERIFY(events[1].action == SunAction::Nothing);
        QCOMPARE(events[0].offset, std::chrono::seconds{std::chrono::minutes{30}});
        Type(offset(0), "7");
        QVERIFY(offset(0)->displayText() == "__:__");
        QCOMPARE(events[0].offset, std::chrono::seconds{0});
        f->Run().SetName(18, "Den Lamp");
        f->Run().SetSunEvent(18, 2, SunWhen::After, std::chrono::minutes{90}, SunAction::On);
        f->Run().SetSunEvent(18, 0, SunWhen::Before, {}, SunAction::Off);
        f->Run().SetSunRandomised(18, 0, true);
        const SunEvent before = f->Run().SunEvents()[18][0];
        f->TypeInto("cboSunriseDevice", "B3");
        QStringList shown{f->Get<QLabel>("lblSunriseDevice")->text()};
        for (int row : {2, 0})
            shown << box("cboSunriseWhen", row)->currentText() << offset(row)->displayText()
                  << box("cboSunriseAction", row)->currentText();
        QCOMPARE(shown,
                 (QStringList{"Den Lamp", "After Sunset", "01:30", "On", "Before Sunrise", "__:__", "Off"}));
        QVERIFY(f->Get<QCheckBox>("chkSunriseRandom", 0)->isChecked());
        QCOMPARE(f->Run().SunEvents()[18][0], before); // showing changed nothing
    }

    void anEventAfterSunsetFiresAtSunsetPlusItsOffset() {
        f->Start(2);
        f->Run().SetLocation({32.78, -96.8, 6, true});
        f->TypeInto("cboSunriseDevice", "D2");
        f->Get<QComboBox>("cboSunriseWhen", 2)->setCurrentIndex(2);
        Type(f->Get("mebSunriseOffset", 2), "0030");
        f->Get<QComboBox>("cboSunriseAction", 2)->setCurrentIndex(1);
        f->clock.Set(LocalAt(2026, 12, 8, 17, 0, 0));
        QStringList sentAt;
        for (int minute = 0; minute < 120; ++minute) {
            f->RunMinutes(1);
            for (const auto& line : f->TakeSent())
                sentAt << line + " " + FormatBoxTime(TimeOfDay::Of(f->clock.NowLocal())).c_str();
        }
        const TimeOfDay sunset = f->Run().TodaysSunTimes().sunset;
        QCOMPARE(sentAt, QStringList{"D2 On " + QString::fromStdString(FormatBoxTime(TimeOfDay(
                                                    sunset.SinceMidnight() + std::chrono::minutes{30})))});
    }

    // ---- The location dialog, at Dallas on 2003-06-21

    void theLocationDialogShowsTheSettingsAfreshAndToTheNearestSecondAndOkKeepsThem() {
        Run(false, LocalAt(2003, 6, 21, 15, 30));
        f->window->Load();
        f->Run().SetLocation({32.78, -96.8, 6, true});
        const auto show = [this] {
            f->Get<QAction>("mnuLocation")->trigger();
            QWidget* dialog = f->Get("frmLocation");
            QStringList shown{Get<QLabel>(dialog, "lblSunrise")->text(),
                              Get<QLabel>(dialog, "lblSunset")->text()};
            for (auto* side : dialog->findChildren<QComboBox*>()) shown << side->currentText();
            for (auto* field : dialog->findChildren<DigitsBox*>()) shown << field->Digits();
            const auto zones = Get<QListWidget>(dialog, "lstTimeZone")->selectedItems();
            return shown.join(' ') + " " + (zones.isEmpty() ? "-" : zones[0]->text()) +
                   (Get<QCheckBox>(dialog, "chkDaylightSavingsTime")->isChecked() ? " DST" : "");
        };
        const auto ok = [this] { f->Click(Get<QPushButton>(f->Get("frmLocation"), "cmdLocationOK")); };
        QCOMPARE(show(), QStringLiteral("Sunrise 06:20:00 Sunset 20:38:00 N W 32 46 48 96 48 0 Central DST"));
        ok();
        // Beyond what the fields take, the most they take; a zone the list has no entry for selects nothing.
        const std::pair<double, const char*> values[] = {{-(32 + 47 / 60.0 - 1e-9), "S W 32 47 0 32 47 0 -"},
                                                         {1 + 0.9 / 3600, "N E 1 0 1 1 0 1 -"},
                                                         {1e300, "N E 89 59 59 179 59 59 -"}};
        for (const auto& [value, fields] : values) {
            f->Run().SetLocation({value, value, 11, false});
            QVERIFY2(show().endsWith(fields), qPrintable(show()));
            ok(); // the fields as shown keep the value stored
            QCOMPARE(f->Run().CurrentLocation(), (Location{value, value, 11, false}));
        }
        f->Run().SetLocation({0, 0, 11, false}); // never entered: the fields are left alone
        QVERIFY(show().endsWith("N E 89 59 59 179 59 59 -"));
        QVERIFY(f->messages.isEmpty());
    }

    void theLocationDialogTakesWhatIsEnteredAtOnceAndRefusesWhatIsOutOfRange() {
        Run(false, LocalAt(2003, 6, 21, 15, 30));
        f->window->Load();
        f->Get<QAction>("mnuLocation")->trigger();
        QWidget* dialog = f->Get("frmLocation");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        const auto enter = [dialog](int i, const QString& text) {
            Type(Get(dialog, i < 3 ? "mebLatitude" : "mebLongitude", i % 3), text);
        };
        const auto sunTimes = [dialog] {
            return Get<QLabel>(dialog, "lblSunrise")->text() + " " + Get<QLabel>(dialog, "lblSunset")->text();
        };
        for (const auto& [i, text] : {std::pair{0, "32"}, {1, "46"}, {2, "48"}, {3, "96"}, {4, "48"}})
            enter(i, text);
        QVERIFY(std::abs(f->Run().CurrentLocation().latitude - 32.78) < 1e-12);
        QCOMPARE(f->Run().CurrentLocation().longitude, -96.8);
        QCOMPARE(sunTimes(), QStringLiteral("Sunrise 06:20:00 Sunset 20:38:00"));
        auto* zones = Get<QListWidget>(dialog, "lstTimeZone");
        QListWidgetItem* hawaii = zones->findItems("Hawaii", Qt::MatchExactly).value(0);
        zones->scrollToItem(hawaii);
        QTest::mouseClick(zones->viewport(), Qt::LeftButton, {}, zones->visualItemRect(hawaii).center());
        QVERIFY(zones->selectedItems() == QList{hawaii});
        QVERIFY(f->Run().CurrentLocation().timeZone == 10);
        QCOMPARE(sunTimes(), QStringLiteral("Sunrise 02:20:00 Sunset 16:38:00"));
        f->Click(Get(dialog, "chkDaylightSavingsTime")); // counts at the next recompute
        QCOMPARE(sunTimes(), QStringLiteral("Sunrise 02:20:00 Sunset 16:38:00"));
        enter(4, "48");
        QCOMPARE(sunTimes(), QStringLiteral("Sunrise 01:20:00 Sunset 15:38:00"));
        QTest::keyClick(Get(dialog, "cboLatitude"), Qt::Key_Down); // a new hemisphere counts at once
        const double latitude = f->Run().CurrentLocation().latitude;
        QVERIFY(latitude < 0);
        // A refused value gives way to the one the field held, and the place stays where it was.
        for (const auto& [i, text] : {std::pair{0, "90"}, {4, "60"}, {3, "999"}, {5, "1x2"}}) enter(i, text);
        QCOMPARE(f->messages, (QStringList{"Enter a Value between 0 and 89", "Enter a Value between 0 and 59",
                                           "Enter a Value between 0 and 179"}));
        QStringList fields;
        for (auto* field : dialog->findChildren<DigitsBox*>()) fields << field->Digits();
        QCOMPARE(fields.join(' '), QStringLiteral("32 46 48 96 48 12"));
        QCOMPARE(f->Run().CurrentLocation().latitude, latitude);
        QCOMPARE(f->Run().CurrentLocation().longitude, -(96 + 48 / 60.0 + 12 / 3600.0));
    }

    void aRefusedLocationValueLeavesThePlaceInConfigTxtAsItWas() {
        const QByteArray config =
            "\"COM 2\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n45\r\n40\r\n-96.8\r\n6\r\n#TRUE#\r\n";
        f->Write("config.txt", config);
        f->window->Load();
        f->Get<QAction>("mnuLocation")->trigger();
        QWidget* dialog = f->Get("frmLocation");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        Type(Get(dialog, "mebLatitude", 0), "95");
        QCOMPARE(f->messages, QStringList{"Enter a Value between 0 and 89"});
        QCOMPARE(Get<DigitsBox>(dialog, "mebLatitude", 0)->Digits(), QStringLiteral("40"));
        f->Click(Get(dialog, "cmdLocationOK"));
        f->Get<QAction>("mnuExit")->trigger();
        QCOMPARE(f->Read("config.txt"), config);
    }

    // The program ends (a logout, a signal) with the dialog open: a degree typed and not yet left
    // is saved, one out of range is not; ending from within the dialog's own message box is clean.
    void theLocationDialogOpenAtTheEndKeepsWhatIsTypedAndEndsCleanly() {
        const QByteArray config =
            "\"COM 2\"\r\n\"Pentium I\"\r\n\"200MHz\"\r\n45\r\n40\r\n-96.8\r\n6\r\n#TRUE#\r\n";
        const auto typeOnly = [](QWidget* field, const char* keys) {
            QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, keys);
        };
        for (const char* typed : {"45", "95"}) {
            f->Write("config.txt", config);
            f->window->Load();
            f->Get<QAction>("mnuLocation")->trigger();
            QWidget* dialog = f->Get("frmLocation");
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            typeOnly(Get(dialog, "mebLatitude", 0), typed);
            f->window->close();
            QCOMPARE(f->ends, 1);
            QCOMPARE(f->Read("config.txt").split('\n').value(4),
                     QByteArray(typed == std::string("45") ? "45\r" : "40\r"));
            Run();
        }
        // The refusal's box is open when the end comes.
        f->Write("config.txt", config);
        f->window->Load();
        f->Get<QAction>("mnuLocation")->trigger();
        QWidget* dialog = f->Get("frmLocation");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        SetMessageHandler([this](const QString& text) {
            f->messages << text;
            f->window->close();
        });
        Type(Get(dialog, "mebLatitude", 0), "95");
        QCOMPARE(f->messages, QStringList{"Enter a Value between 0 and 89"});
        QCOMPARE(f->ends, 1);
        QCOMPARE(f->Read("config.txt"), config);
    }

    // ---- The windows as a whole

    // Started where nothing can be written: the status bar says so from the start, nothing is
    // written, and the exit says once which files did not get the changes.
    void aReadOnlyFolderSaysSoFromTheStartAndAtExitWhatWasNotSaved() {
        QFile::setPermissions(data->path(), QFile::ReadOwner | QFile::ExeOwner);
        f->Start(1);
        const QString path = QDir::toNativeSeparators(data->path());
        auto* folder = f->Get<QLabel>("lblFolder");
        QVERIFY(folder->isVisible());
        QVERIFY(folder->text() == "Read-only folder: changes are not saved (" + path + ")");
        Type(f->Get("mebOnOff", 16), "0730");
        f->RunMinutes(1);
        f->Get<QAction>("mnuExit")->trigger();
        f->window->close();
        const QString files = "config.txt, schedule.txt, Sunrise.txt, names.txt, tarnwick.ini";
        QCOMPARE(f->messages, QStringList{"Changes could not be saved to " + files + ".\n\n" + path});
        QVERIFY(QDir(data->path()).isEmpty());
        QVERIFY(f->window->ExitStatus() == 1);
        QFile::setPermissions(data->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Every window opens within the screen; Help and About close from the keyboard as dialogs do.
    void everyWindowOpensOnTheScreenAndHelpAndAboutCloseWithEscapeOrEnter() {
        f->Start();
        const QRect screen = f->window->screen()->availableGeometry();
        QVERIFY(screen.contains(f->window->frameGeometry()));
        const std::tuple<const char*, const char*, Qt::Key> windows[] = {
            {"mnuHelpIndex", "frmHelp", Qt::Key_Escape},    {"mnuHelpIndex", "frmHelp", Qt::Key_Return},
            {"mnuHelpAbout", "frmAbout", Qt::Key_Enter},    {"mnuHelpAbout", "frmAbout", Qt::Key_Escape},
            {"mnuUpcoming", "frmUpcoming", Qt::Key_Escape}, {"mnuLocation", "frmLocation", Qt::Key_Escape}};
        for (const auto& [menu, name, key] : windows) {
            f->Get<QAction>(menu)->trigger();
            QWidget* window = f->Get(name);
            QTRY_COMPARE(QApplication::activeWindow(), window);
            QVERIFY2(screen.contains(window->frameGeometry()), name);
            QTest::keyClick(window, key);
            QVERIFY2(!window->isVisible(), name);
            f->window->activateWindow(); // as the window system does when a window goes
            QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        }
    }

    // A screen reader that takes a combo box's name from the label whose buddy it is (Linux
    // desktops do) hears a name for every box, and no two boxes of a page or dialog alike.
    void everyComboBoxHasALabelForScreenReaders() {
        f->Start();
        f->ClickTab(1);
        f->ClickTab(2);
        f->Get<QAction>("mnuLocation")->trigger();
        for (const char* owner : {"frmRemote", "frmSchedule", "frmSunrise", "frmLocation"}) {
            QStringList names;
            for (QComboBox* box : f->Get(owner)->findChildren<QComboBox*>()) {
                QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
                const auto labels = face->relations(QAccessible::Label);
                QVERIFY2(!labels.isEmpty(), qPrintable(box->objectName()));
                const QString name = labels.first().first->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty(), qPrintable(box->objectName()));
                names << name;
            }
            QVERIFY2(!names.isEmpty(), owner);
            QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        }
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
