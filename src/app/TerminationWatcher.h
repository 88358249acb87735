#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C) into a Qt signal
// on the user-interface thread, so the program can save and end as from File, Exit.

#include <QObject>

class QSocketNotifier;

namespace tarnwick {

class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    // Catches the signals from the first moment on; they wait until a watcher exists
    // and the event loop runs, so a termination during start-up still saves.
    static void CatchSignals();

    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tarnwick
