#include "app/AboutWindow.h"
#include "app/HelpWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;

namespace {

struct ExpectedLine {
    int index;
    int top;
    int left;
    QString text;
};

QString Blanks(int count) {
    return QString(count, QLatin1Char(' '));
}

// Top to bottom, as the window shows them.
const QList<ExpectedLine> kLines = {
    {2, 120, 120, "Configure:"},
    {3, 480, 240, "CPU Type - The CPU in your computer."},
    {4, 720, 240, "Clock Rate - The clock rate of the CPU in your computer in MHz"},
    {5, 960, 240, "Com Port - The communications port that the FireCracker interface is connected to."},
    {6, 1200, 240, Blanks(19) + "\"Comm Port is already open\" - Another program has the selected COM port"},
    {7, 1440, 240, Blanks(19) + "open.  Close the other program and then open the COM port."},
    {0, 1920, 120, "Remote Tab"},
    {8, 2280, 240, "This section is used to manually turn X10 devices on and off."},
    {1, 2760, 120, "Schedule Tab"},
    {9, 3120, 240, "1) Select the device that you want to schedule.  A1 to P16"},
    {11, 3360, 240, "2) Set the amount of time that you want to randomize turning devices on and off."},
    {12, 3600, 240,
     Blanks(5) + "Selecting 30 minutes will randomize the scheduled time between +15 and -15 minutes."},
    {13, 3840, 240, "3) Set the times that you want the device to turn off or on each day."},
    {10, 4080, 240, Blanks(5) + "Set the time in military format - 8:30 AM = 08:30, 8:30 PM = 20:30, etc."},
    {14, 4320, 240,
     "4) Check the button to the left of the entered time if you want to randomize the scheduled"},
    {15, 4560, 240, Blanks(5) + "Time."},
};

const QString kDisclaimer = "THIS SOFTWARE IS RELEASED \"AS IS\" AND WITHOUT WARRANTIES AS TO PERFORMANCE OR "
                            "MERCHANTABILITY OR ANY OTHER "
                            "WARRANTIES WHETHER EXPRESSED OR IMPLIED.  VANTREL ELECTRONICS WILL NOT BE HELD "
                            "RESPONSIBLE FOR ANY INJURY, "
                            "DAMAGE, OR DESTRUCTION OF ANY KIND THAT MAY ARISE FROM THE USE OF THIS "
                            "SOFTWARE. THIS INCLUDES BUT IS NOT "
                            "LIMITED TO INJURY, DAMAGE, OR DESTRUCTION CAUSED BY THE ACTIVATION OF ANY "
                            "DEVICE, X10, OR OTHERWISE CAUSED BY "
                            "THIS SOFTWARE.";
const QString kSafetyNotice = "The user understands that devices such as heaters, fans, and other mechanical "
                              "devices should not be activated "
                              "via X10 when un-attended as this may constitute a fire hazard.";

// Where the first character after the leading blanks is drawn, in window coordinates.
int TextStart(const QLabel* label) {
    const QString text = label->text();
    qsizetype blanks = 0;
    while (blanks < text.size() && text[blanks] == QLatin1Char(' ')) ++blanks;
    const QRect contents = label->contentsRect();
    return label->x() + contents.x() + label->fontMetrics().horizontalAdvance(text.left(blanks));
}

} // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<AboutWindow> about;

    template <typename T> T* Find(QWidget* window, const QString& name) {
        auto* w = window->findChild<T*>(name);
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }
    QLabel* Line(int index) { return Find<QLabel>(help.get(), QStringLiteral("lblHelp(%1)").arg(index)); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    void Show(QWidget* window) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

private slots:
    void init() {
        help = std::make_unique<HelpWindow>();
        about = std::make_unique<AboutWindow>();
    }
    void cleanup() {
        help.reset();
        about.reset();
    }

    void helpLinesReadExactly() {
        Show(help.get());
        for (const ExpectedLine& line : kLines) {
            QLabel* label = Line(line.index);
            QCOMPARE(label->text(), line.text);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            // Nothing is cut off at either side.
            QVERIFY(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(line.text));
            QVERIFY(help->rect().contains(label->geometry()));
        }
        QCOMPARE(Line(6)->text().size(), 90);
        QVERIFY(Line(7)->text().contains(QStringLiteral("open.  Close")));
        QVERIFY(Line(9)->text().contains(QStringLiteral("schedule.  A1")));
    }

    void continuationLinesLineUp() {
        Show(help.get());
        // "open." starts under the quotation mark that opens the message above it.
        QCOMPARE(Line(6)->text().at(19), QLatin1Char('"'));
        QCOMPARE(Line(7)->text().mid(19, 5), QStringLiteral("open."));
        QCOMPARE(TextStart(Line(7)), TextStart(Line(6)));
        QCOMPARE(TextStart(Line(10)), TextStart(Line(12)));
        QCOMPARE(TextStart(Line(15)), TextStart(Line(12)));
        // And the blanks do show: the continuation starts well right of the line's edge.
        QVERIFY(TextStart(Line(7)) >
                Line(5)->x() + 10 * Line(5)->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
        QVERIFY(TextStart(Line(12)) > TextStart(Line(11)));
        // Headings stand left of the lines under them.
        QVERIFY(TextStart(Line(2)) < TextStart(Line(3)));
        QVERIFY(TextStart(Line(0)) < TextStart(Line(8)));
        QVERIFY(TextStart(Line(1)) < TextStart(Line(9)));
    }

    void helpOkHidesAndTheSameWindowShowsAgain() {
        Show(help.get());
        auto* ok = Find<QPushButton>(help.get(), "btnHelpOK");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->y() > Line(15)->y());
        QVERIFY(qAbs(ok->geometry().center().x() - help->width() / 2) <= 1);
        QVERIFY(help->rect().contains(ok->geometry()));
        QPointer<HelpWindow> before(help.get());
        Click(ok);
        QVERIFY(help->isHidden());
        QVERIFY(before);
        Show(help.get());
        QVERIFY(help->isVisible());
        QCOMPARE(Find<QPushButton>(help.get(), "btnHelpOK"), ok);
        QCOMPARE(Line(6)->text(), kLines[4].text);
    }

    void aboutTextsReadExactly() {
        QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about->windowTitle(), QStringLiteral("Tarnwick V1.0"));
        QVERIFY(about->isWindow());
        QCOMPARE(about->windowModality(), Qt::NonModal);
        QCOMPARE(Find<QLabel>(about.get(), "lblTitle")->text(),
                 QStringLiteral("Tarnwick V1.01 - X10 CMA17A FireCracker Interface"));
        QCOMPARE(Find<QLabel>(about.get(), "lblHeading")->text(), QStringLiteral("Disclaimer of Warranty"));
        QCOMPARE(Find<QLabel>(about.get(), "lblDisclaimer")->text(), kDisclaimer);
        QCOMPARE(Find<QLabel>(about.get(), "lblSafety")->text(), kSafetyNotice);
        QVERIFY(kDisclaimer.contains(QStringLiteral("RELEASED \"AS IS\" AND")));
        QVERIFY(kDisclaimer.contains(QStringLiteral("IMPLIED.  VANTREL")));
        QVERIFY(kDisclaimer.contains(QStringLiteral("SOFTWARE. THIS")));
        QCOMPARE(Find<QPushButton>(about.get(), "cmdClose")->text(), QStringLiteral("Close"));
    }

    void aboutCloseHides() {
        Show(about.get());
        Click(Find<QPushButton>(about.get(), "cmdClose"));
        QVERIFY(about->isHidden());
        Show(about.get());
        QCOMPARE(Find<QLabel>(about.get(), "lblDisclaimer")->text(), kDisclaimer);
    }

    void bothWindowsOpenTogether() {
        Show(help.get());
        Show(about.get());
        QVERIFY(help->isVisible());
        QVERIFY(about->isVisible());
        Click(Find<QPushButton>(help.get(), "btnHelpOK"));
        QVERIFY(help->isHidden());
        QVERIFY(about->isVisible());
    }
};

QTEST_MAIN(HelpAboutTest)
#include "HelpAboutTest.moc"
