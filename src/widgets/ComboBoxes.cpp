#include "widgets/ComboBoxes.h"

#include "x10/CodeTable.h"

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
    return box;
}

int ExactIndex(const QComboBox* box) {
    const QString text = box->currentText();
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == text) return i;
    return -1;
}

QStringList DeviceLabels() {
    QStringList labels;
    for (int d = 0; d < kDeviceCount; ++d) labels << QString::fromStdString(DeviceLabel(d));
    return labels;
}

} // namespace tarnwick
