#include "widgets/ComboBoxes.h"

#include "x10/CodeTable.h"

#include <QLabel>
#include <QLineEdit>

namespace tarnwick {

QComboBox* MakeEditableCombo(QWidget* parent, const QString& name, const QStringList& items,
                             const QString& initialText) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr); // what is typed is what is matched, "a" included
    for (int i = 0; i < items.size(); ++i) box->addItem(items[i], i);
    box->setEditText(initialText);
    // Done typing (Enter, or the focus gone): the box names what the program uses.
    QObject::connect(box->lineEdit(), &QLineEdit::editingFinished, box, [box] { ShowTakenItem(box); });
    return box;
}

int TakenIndex(const QComboBox* box) {
    const QString text = box->currentText().trimmed();
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) return i;
    return 0;
}

int TakenIndex(const QStringList& items, const QString& text) {
    const QString trimmed = text.trimmed();
    for (int i = 0; i < items.size(); ++i)
        if (items[i].compare(trimmed, Qt::CaseInsensitive) == 0) return i;
    return 0;
}

void ShowTakenItem(QComboBox* box) {
    const QString taken = box->itemText(TakenIndex(box));
    if (box->currentText() != taken) box->setEditText(taken);
}

QStringList DeviceLabels() {
    QStringList labels;
    for (int d = 0; d < kDeviceCount; ++d) labels << QString::fromStdString(DeviceLabel(d));
    return labels;
}

void SetSpokenName(QComboBox* box, const QString& name) {
    box->setAccessibleName(name);
    auto* label =
        new QLabel(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")), box->parentWidget());
    label->setBuddy(box);
    label->hide();
}

} // namespace tarnwick
