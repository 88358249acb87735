#pragma once
// The editable combo boxes of the pages: the user may pick an item or type, and
// what is typed is matched exactly against the list.

#include <QComboBox>
#include <QStringList>

namespace tarnwick {

// An editable box with the given items (item data = position) and initial text.
QComboBox* MakeEditableCombo(QWidget* parent, const QString& name, const QStringList& items,
                             const QString& initialText);

// "A1" .. "P16", every device in device order.
QStringList DeviceLabels();

// The position of the first item whose text equals the box's text exactly
// (case-sensitive), or -1 when none does.
int ExactIndex(const QComboBox* box);

} // namespace tarnwick
