#pragma once
// The editable combo boxes of the pages: the user may pick an item or type. A typed
// text names an item whatever its case; one that names none stands for the first
// item, and the box shows that item once the user is done with it.

#include <QComboBox>
#include <QStringList>

namespace tarnwick {

// An editable box with the given items (item data = position) and initial text.
QComboBox* MakeEditableCombo(QWidget* parent, const QString& name, const QStringList& items,
                             const QString& initialText);

// "A1" .. "P16", every device in device order.
QStringList DeviceLabels();

// The position of the item in force: the first whose text equals the box's text but for
// case and surrounding blanks, or 0 when none does.
int TakenIndex(const QComboBox* box);
// The same for a box that would hold these items and this text.
int TakenIndex(const QStringList& items, const QString& text);

// Shows the item in force in place of a text that differs from it ("c" becomes "C").
void ShowTakenItem(QComboBox* box);

// Names a box that no visible label names. Some screen readers (those of Linux desktops) hear a
// combo box's current item as its name and take what it is from the label whose buddy it is,
// never from its accessible name: an unseen label beside it carries the name to them.
void SetSpokenName(QComboBox* box, const QString& name);

} // namespace tarnwick
