#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tarnwick;
using tarnwick::testing::WindowFixture;

class RemotePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;

    template <typename T> T* Find(const QString& name) {
        auto* w = f->window->findChild<T*>(name);
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }
    QCheckBox* Unit(int i) { return Find<QCheckBox>(QStringLiteral("chkA(%1)").arg(i)); }
    QLineEdit* Name(int i) { return Find<QLineEdit>(QStringLiteral("txtA(%1)").arg(i)); }
    QComboBox* House() { return Find<QComboBox>("cboAddress"); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2)); }
    void TypeHouse(const QString& text) {
        House()->lineEdit()->selectAll();
        QTest::keyClicks(House()->lineEdit(), text);
    }

private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        f->window->Load();
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
        f->TakeSent();
    }
    void cleanup() { f.reset(); }

    void layoutAndCaptions() {
        QCOMPARE(Unit(0)->text(), QStringLiteral("1 On"));
        QCOMPARE(Unit(15)->text(), QStringLiteral("16 On"));
        QCOMPARE(Name(2)->accessibleName(), QStringLiteral("Name of unit 3"));
        QCOMPARE(House()->count(), 16);
        QCOMPARE(House()->currentText(), QStringLiteral("A"));
        // Two columns of eight, each name with its box to the right.
        QVERIFY(Name(8)->x() > Unit(0)->x());
        QCOMPARE(Name(8)->y(), Name(0)->y());
        QVERIFY(Name(7)->y() > Name(0)->y());
        QVERIFY(Unit(3)->x() > Name(3)->x());
        for (int i = 0; i < 16; ++i) QVERIFY(!Unit(i)->isChecked());
    }

    void unitBoxesSwitchTheShownHouse() {
        TypeHouse("C");
        Click(Unit(2));
        QCOMPARE(f->TakeSent(), QStringList{"C3 On"}); // message 72
        Click(Unit(2));
        QCOMPARE(f->TakeSent(), QStringList{"C3 Off"}); // message 73
    }

    void brightAndDimGoToTheHouseCode() {
        TypeHouse("P");
        Click(Find<QPushButton>("btnBright"));
        TypeHouse("A");
        Click(Find<QPushButton>("btnDim"));
        QCOMPARE(f->TakeSent(), (QStringList{"P Bright", "A Dim"})); // 542, 33
    }

    void switchingHousesKeepsMarksAndNamesAndSendsNothing() {
        Click(Unit(0));
        QCOMPARE(f->TakeSent(), QStringList{"A1 On"});
        Name(4)->setFocus();
        QTest::keyClicks(Name(4), "Porch");
        TypeHouse("B");
        QVERIFY(!Unit(0)->isChecked());
        QVERIFY(Name(4)->text().isEmpty());
        House()->setCurrentIndex(0); // pick A from the list
        QVERIFY(Unit(0)->isChecked());
        QCOMPARE(Name(4)->text(), QStringLiteral("Porch"));
        QVERIFY(f->TakeSent().isEmpty());
    }

    void lowerCaseOrUnknownHouseShowsHouseA() {
        TypeHouse("B");
        Click(Unit(5));
        f->TakeSent();
        TypeHouse("a");
        QVERIFY(!Unit(5)->isChecked());
        Click(Find<QPushButton>("btnBright"));
        QCOMPARE(f->TakeSent(), QStringList{"A Bright"});
        TypeHouse("Q");
        QCOMPARE(f->window->State().PreviousAddressIndex, 0);
    }

    void aNameTypedSurvivesAStraightSwitch() {
        TypeHouse("B");
        Name(4)->setFocus();
        QTest::keyClicks(Name(4), "Den Lamp");
        TypeHouse("C"); // the name box keeps the focus meanwhile
        QCOMPARE(QString::fromStdString(f->window->State().DeviceNames[1][4]), QStringLiteral("Den Lamp"));
    }

    void leavingANameBoxStoresItAndQuotesAreRefused() {
        Name(1)->setFocus();
        QTest::keyClicks(Name(1), "Say \"hi\"");
        QCOMPARE(Name(1)->text(), QStringLiteral("Say hi"));
        Name(2)->setFocus();
        QCOMPARE(QString::fromStdString(f->window->State().DeviceNames[0][1]), QStringLiteral("Say hi"));
        QApplication::clipboard()->setText("a\"b");
        Name(3)->setFocus();
        Name(3)->paste();
        QCOMPARE(Name(3)->text(), QStringLiteral("ab"));
    }

    void namesComeBackAfterARestart() {
        QTemporaryDir data;
        const auto startProgram = [&] {
            f = std::make_unique<WindowFixture>(false, MakeDateTime(2026, 12, 8, 7, 29, 10), data.path());
            f->window->Load();
            f->window->show();
        };
        startProgram();
        QFile names(data.filePath("names.txt"));
        QVERIFY(names.open(QIODevice::ReadOnly));
        QCOMPARE(names.readAll(), QByteArray("\"\"\r\n").repeated(256)); // first start: 256 empty names
        names.close();
        TypeHouse("B");
        Name(2)->setFocus();
        QTest::keyClicks(Name(2), "Den Lamp");
        f->window->Shutdown(); // still in its box: shutdown keeps it all the same
        QVERIFY(names.open(QIODevice::ReadOnly));
        QCOMPARE(names.readAll().split('\n').at(18), QByteArray("\"Den Lamp\"\r"));
        names.close();

        startProgram();
        QVERIFY(Name(2)->text().isEmpty()); // house A is shown first
        TypeHouse("B");
        QCOMPARE(Name(2)->text(), QStringLiteral("Den Lamp"));
    }

    void aLongerNameFromTheFileStaysWholeWhileTypingStopsAt18() {
        QTemporaryDir data;
        QFile names(data.filePath("names.txt"));
        QVERIFY(names.open(QIODevice::WriteOnly));
        const QByteArray longName = "\"Garden lights by the back door\"\r\n";
        names.write(longName + "\"\"\r\n" + longName + QByteArray("\"\"\r\n").repeated(253));
        names.close();
        f = std::make_unique<WindowFixture>(false, MakeDateTime(2026, 12, 8, 7, 29, 10), data.path());
        f->window->Load();
        f->window->show();
        QCOMPARE(Name(0)->text(), QStringLiteral("Garden lights by the back door"));
        Name(0)->setFocus();
        QTest::keyClicks(Name(0), "s"); // grows no further
        Name(2)->setFocus();
        QTest::keyClick(Name(2), Qt::Key_Backspace); // but may shrink
        QCOMPARE(Name(2)->text().size(), 29);
        Name(1)->setFocus();
        QTest::keyClicks(Name(1), "Twenty characters!!!");
        QCOMPARE(Name(1)->text(), QStringLiteral("Twenty characters!"));
        for (int i = 0; i < 40; ++i) { // the minute save, then exit
            f->clock.AdvanceSeconds(1.5);
            f->window->Tick();
        }
        f->window->Shutdown();
        QVERIFY(names.open(QIODevice::ReadOnly));
        QVERIFY(
            names.readAll().startsWith("\"Garden lights by the back door\"\r\n\"Twenty characters!\"\r\n"));
    }

    void aClickDuringAFrameIsUndone() {
        f->window->State().FrameStep = 5;
        Click(Unit(1));
        QVERIFY(!Unit(1)->isChecked());
        Click(Find<QPushButton>("btnBright"));
        QVERIFY(f->TakeSent().isEmpty());
        f->window->State().FrameStep = 0;
        Click(Unit(1));
        QVERIFY(Unit(1)->isChecked());
        QCOMPARE(f->TakeSent(), QStringList{"A2 On"});
    }
};

QTEST_MAIN(RemotePanelTest)
#include "RemotePanelTest.moc"
