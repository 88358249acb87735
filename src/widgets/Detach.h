#pragma once
// Child widgets still signal while their parent is torn down (a focused box loses
// the focus as it goes); by then the parent's handlers must no longer be reached.

#include <QObject>

namespace tarnwick {

inline void DetachChildren(QObject* owner) {
    for (QObject* child : owner->findChildren<QObject*>()) {
        child->disconnect(owner);
        child->removeEventFilter(owner);
    }
}

} // namespace tarnwick
