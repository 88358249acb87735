#include "app/HelpWindow.h"

#include "widgets/Twips.h"
#include "widgets/Windows.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace tarnwick {
namespace {

struct HelpLine {
    int index;
    int top;
    bool heading;
    const char* text;
};

// Same left edge and same count of leading blanks: "open." lands under the opening quote in any font.
constexpr std::array<HelpLine, 16> kHelpLines = {{
    {2, 120, true, "Configure:"},
    {3, 480, false, "CPU Type - The CPU in your computer."},
    {4, 720, false, "Clock Rate - The clock rate of the CPU in your computer in MHz"},
    {5, 960, false, "Com Port - The communications port that the FireCracker interface is connected to."},
    {6, 1200, false,
     "                   \"Comm Port is already open\" - Another program has the selected COM port"},
    {7, 1440, false, "                   open.  Close the other program and then open the COM port."},
    {0, 1920, true, "Remote Tab"},
    {8, 2280, false, "This section is used to manually turn X10 devices on and off."},
    {1, 2760, true, "Schedule Tab"},
    {9, 3120, false, "1) Select the device that you want to schedule.  A1 to P16"},
    {11, 3360, false, "2) Set the amount of time that you want to randomize turning devices on and off."},
    {12, 3600, false,
     "     Selecting 30 minutes will randomize the scheduled time between +15 and -15 minutes."},
    {13, 3840, false, "3) Set the times that you want the device to turn off or on each day."},
    {10, 4080, false, "     Set the time in military format - 8:30 AM = 08:30, 8:30 PM = 20:30, etc."},
    {14, 4320, false,
     "4) Check the button to the left of the entered time if you want to randomize the scheduled"},
    {15, 4560, false, "     Time."},
}};

constexpr int kHeadingLeft = 120;
constexpr int kLineLeft = 240;
constexpr int kLineHeight = 252;
constexpr int kClientWidth = 6600;
constexpr int kClientHeight = 5268;
constexpr int kButtonTop = 4920;
constexpr int kButtonWidth = 612;
constexpr int kMargin = 120;

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    const TwipScale twips(fontMetrics());
    const int lineHeight = std::max(twips(kLineHeight), fontMetrics().height());

    int width = twips(kClientWidth);
    for (const HelpLine& line : kHelpLines) {
        const QString text = QString::fromLatin1(line.text);
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("lblHelp(%1)").arg(line.index));
        // Plain text keeps every blank; rich text would fold them into one.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        const int left = twips(line.heading ? kHeadingLeft : kLineLeft);
        const int textWidth = label->fontMetrics().horizontalAdvance(text) + 2;
        label->setGeometry(left, twips(line.top), textWidth, lineHeight);
        width = std::max(width, left + textWidth + twips(kMargin));
    }

    auto* btnHelpOK = new QPushButton(QStringLiteral("OK"), this);
    btnHelpOK->setObjectName(QStringLiteral("btnHelpOK"));
    const QSize button(std::max(twips(kButtonWidth), btnHelpOK->sizeHint().width()),
                       std::max(twips(kLineHeight), btnHelpOK->sizeHint().height()));
    btnHelpOK->setGeometry((width - button.width()) / 2, twips(kButtonTop), button.width(), button.height());
    connect(btnHelpOK, &QPushButton::clicked, this, &QWidget::hide);
    HideOnEscapeAndEnter(this);

    setFixedSize(width, std::max(twips(kClientHeight), twips(kButtonTop) + button.height() + twips(kMargin)));
}

} // namespace tarnwick
