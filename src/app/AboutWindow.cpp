#include "app/AboutWindow.h"

#include "engine/Version.h"

#include "widgets/Twips.h"
#include "widgets/Windows.h"
#include "widgets/WrapWidth.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tarnwick {
namespace {

constexpr int kClientWidth = 7008;
constexpr int kTextWidth = 6492;
constexpr int kDisclaimerHeight = 1332;
constexpr int kButtonWidth = 612;
constexpr int kButtonHeight = 372;

const char* const kHeading = "Disclaimer of Warranty";
const char* const kDisclaimer =
    "THIS SOFTWARE IS RELEASED \"AS IS\" AND WITHOUT WARRANTIES AS TO PERFORMANCE OR MERCHANTABILITY OR ANY "
    "OTHER WARRANTIES WHETHER EXPRESSED OR IMPLIED.  VANTREL ELECTRONICS WILL NOT BE HELD RESPONSIBLE FOR "
    "ANY "
    "INJURY, DAMAGE, OR DESTRUCTION OF ANY KIND THAT MAY ARISE FROM THE USE OF THIS SOFTWARE. THIS INCLUDES "
    "BUT "
    "IS NOT LIMITED TO INJURY, DAMAGE, OR DESTRUCTION CAUSED BY THE ACTIVATION OF ANY DEVICE, X10, OR "
    "OTHERWISE CAUSED BY THIS SOFTWARE.";
const char* const kSafetyNotice =
    "The user understands that devices such as heaters, fans, and other mechanical devices should not be "
    "activated via X10 when un-attended as this may constitute a fire hazard.";

QLabel* AddText(QVBoxLayout* layout, QWidget* parent, const char* name, const char* text, int width) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFixedWidth(width);
    label->setFixedHeight(label->heightForWidth(width));
    layout->addWidget(label);
    return label;
}

} // namespace

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Tarnwick V1.0"));
    const TwipScale twips(fontMetrics());
    // Wider than the design where the font needs it to keep the safety notice on two lines.
    const int textWidth =
        std::max(twips(kTextWidth), WidthForLines(fontMetrics(), QString::fromLatin1(kSafetyNotice), 2));
    const int side = (twips(kClientWidth) - twips(kTextWidth)) / 2;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(side, side, side, side);
    layout->setSpacing(twips(120));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const std::string titleText = "Tarnwick " + VersionMark(false) + " - X10 CMA17A FireCracker Interface";
    QLabel* title = AddText(layout, this, "lblTitle", titleText.c_str(), textWidth);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setFixedHeight(title->heightForWidth(textWidth));
    layout->addSpacing(twips(120));
    QLabel* heading = AddText(layout, this, "lblHeading", kHeading, textWidth);
    heading->setFont(bold);
    heading->setFixedHeight(heading->heightForWidth(textWidth));
    QLabel* disclaimer = AddText(layout, this, "lblDisclaimer", kDisclaimer, textWidth);
    disclaimer->setFixedHeight(std::max(disclaimer->height(), twips(kDisclaimerHeight)));
    AddText(layout, this, "lblSafety", kSafetyNotice, textWidth);

    auto* cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setMinimumSize(twips(kButtonWidth), twips(kButtonHeight));
    layout->addSpacing(twips(120));
    layout->addWidget(cmdClose, 0, Qt::AlignHCenter);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    HideOnEscapeAndEnter(this);
}

} // namespace tarnwick
