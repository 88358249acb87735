#include "remote/ui/RemotePanel.h"

#include "remote/NamesFile.h"
#include "x10/CodeTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "widgets/ComboBoxes.h"

namespace tarnwick {
namespace {
constexpr int kRowsPerColumn = 8;
constexpr int kNameLength = 18;

QString WithoutControls(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    return text;
}
} // namespace

RemotePanel::RemotePanel(IRemoteCommands& engine, QWidget* parent)
    : QGroupBox(QStringLiteral("Remote Control"), parent), engine_(engine) {
    setObjectName(QStringLiteral("frmRemote"));
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);

    // Row by row, units 1..8 on the left and 9..16 on the right.
    for (int row = 0; row < kRowsPerColumn; ++row) {
        for (int column = 0; column < 2; ++column) {
            const int u = row + column * kRowsPerColumn;
            auto* name = new QLineEdit(this);
            name->setObjectName(QStringLiteral("txtA(%1)").arg(u));
            name->setAccessibleName(QStringLiteral("Name of unit %1").arg(u + 1));
            name->installEventFilter(this);
            // No maximum length on the box: it would cut a longer name read from names.txt.
            connect(name, &QLineEdit::textEdited, this,
                    [this, u](const QString& text) { NameEdited(u, text); });
            auto* box = new QCheckBox(QStringLiteral("%1 On").arg(u + 1), this);
            box->setObjectName(QStringLiteral("chkA(%1)").arg(u));
            connect(box, &QCheckBox::toggled, this, [this, u](bool checked) { UnitClicked(u, checked); });
            grid->addWidget(name, row, column * 2);
            grid->addWidget(box, row, column * 2 + 1);
            nameBoxes_[u] = name;
            unitBoxes_[u] = box;
        }
    }

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);
    dimButton_ = new QPushButton(QStringLiteral("Dim"), this);
    dimButton_->setObjectName(QStringLiteral("btnDim"));
    brightButton_ = new QPushButton(QStringLiteral("Bright"), this);
    brightButton_->setObjectName(QStringLiteral("btnBright"));
    QStringList houses;
    for (int h = 0; h < kHouseCount; ++h) houses << QString(QChar(HouseLetter(h)));
    houseBox_ = MakeEditableCombo(this, QStringLiteral("cboAddress"), houses, QStringLiteral("A"));
    auto* lblHouseCode = new QLabel(QStringLiteral("House Code"), this);
    lblHouseCode->setObjectName(QStringLiteral("lblHouseCode"));
    lblHouseCode->setBuddy(houseBox_);
    bottom->addWidget(dimButton_);
    bottom->addWidget(brightButton_);
    bottom->addWidget(houseBox_);
    bottom->addWidget(lblHouseCode);
    bottom->addStretch(1);

    connect(brightButton_, &QPushButton::clicked, this, [this] { SendHouseCommand(32); });
    connect(dimButton_, &QPushButton::clicked, this, [this] { SendHouseCommand(33); });
    // Every keystroke and every pick from the list switches the house code.
    connect(houseBox_, &QComboBox::editTextChanged, this, &RemotePanel::SwitchHouse);
    connect(houseBox_, &QComboBox::activated, this, &RemotePanel::SwitchHouse);

    // Tab runs through the units in their numbers' order, then to the house code and its commands.
    QWidget* previous = nullptr;
    for (int u = 0; u < kUnitCount; ++u) {
        for (QWidget* next : {static_cast<QWidget*>(nameBoxes_[u]), static_cast<QWidget*>(unitBoxes_[u])}) {
            if (previous) setTabOrder(previous, next);
            previous = next;
        }
    }
    setTabOrder(previous, houseBox_);
    setTabOrder(houseBox_, dimButton_);
    setTabOrder(dimButton_, brightButton_);
}

std::int16_t RemotePanel::HouseInBox() const {
    return static_cast<std::int16_t>(TakenIndex(houseBox_));
}

void RemotePanel::ShowNames() {
    const int h = shownHouse_;
    for (int u = 0; u < kUnitCount; ++u) {
        boxTexts_[u] = WithoutControls(QString::fromStdString(NameOf(engine_.Names(), h * kUnitCount + u)));
        nameBoxes_[u]->setText(boxTexts_[u]);
    }
}

void RemotePanel::NameEdited(int u, const QString& edited) {
    QLineEdit* name = nameBoxes_[u];
    // The names file cannot hold a double quote, so none gets in, typed or pasted; a tab
    // or another control character shows as the blank it stands for.
    QString text = WithoutControls(edited);
    qsizetype cursor = name->cursorPosition() - edited.left(name->cursorPosition()).count(QLatin1Char('"'));
    text.remove(QLatin1Char('"'));
    // Typing stops at the box's length; a longer name from the file stays whole but grows no further.
    if (text.size() > kNameLength && text.size() > boxTexts_[u].size()) {
        cursor -= text.size() - boxTexts_[u].size();
        text = boxTexts_[u];
    }
    boxTexts_[u] = text;
    if (text == edited) return;
    name->setText(text);
    name->setCursorPosition(static_cast<int>(std::clamp<qsizetype>(cursor, 0, text.size())));
}

void RemotePanel::StoreNames() {
    const int h = shownHouse_;
    for (int u = 0; u < kUnitCount; ++u)
        engine_.SetName(h * kUnitCount + u, SanitizeName(nameBoxes_[u]->text().toStdString()));
}

bool RemotePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (int u = 0; u < kUnitCount; ++u)
            if (watched == nameBoxes_[u])
                engine_.SetName(shownHouse_ * kUnitCount + u,
                                SanitizeName(nameBoxes_[u]->text().toStdString()));
    }
    return QGroupBox::eventFilter(watched, event);
}

void RemotePanel::SwitchHouse() {
    settingMarks_ = true;
    const int previous = shownHouse_;
    for (int u = 0; u < kUnitCount; ++u) switchedOn_[previous][u] = unitBoxes_[u]->isChecked();
    StoreNames();
    shownHouse_ = HouseInBox();
    const int h = shownHouse_;
    for (int u = 0; u < kUnitCount; ++u) unitBoxes_[u]->setChecked(switchedOn_[h][u]);
    ShowNames();
    settingMarks_ = false;
}

void RemotePanel::UnitClicked(int unit, bool checked) {
    if (settingMarks_) return;
    if (engine_.LineBusy()) {
        // A frame is on the wire: undo the click rather than start another.
        settingMarks_ = true;
        unitBoxes_[unit]->setChecked(!checked);
        settingMarks_ = false;
        return;
    }
    const int h = HouseInBox();
    engine_.SendManual(checked ? UnitOnMessage(h, unit) : UnitOffMessage(h, unit));
}

void RemotePanel::SendHouseCommand(int functionOffset) {
    if (engine_.LineBusy()) return;
    engine_.SendManual(HouseInBox() * kFunctionsPerHouse + functionOffset);
}

} // namespace tarnwick
