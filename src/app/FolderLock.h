#pragma once
// One program per data folder, with the window and the headless service taking turns: a
// window started where the service runs asks it to let the folder go; a service started
// where a window runs waits for it. Two of a kind in one folder are refused.

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalSocket;

namespace tarnwick {

class FolderLock {
public:
    enum class Outcome { Taken, HeldByWindow, HeldByService, NotPossible };

    explicit FolderLock(const QString& folder);
    ~FolderLock();

    Outcome TryTake();
    void Release();
    bool Held() const { return held_; }

    // The name the service listens on for a window that wants the folder.
    static QString ServiceName(const QString& folder);

    // A window's request to the service in the folder: it sends what waits, saves and lets
    // the folder go. The connection stays open while the window runs, so that the service
    // knows when to take the folder back. Null when the service did not answer in time.
    static std::unique_ptr<QLocalSocket> AskServiceToLetGo(const QString& folder, int timeoutMs,
                                                           const std::function<void()>& whileWaiting = {});

private:
    QString folder_;
    QLockFile lock_;
    bool held_ = false;
};

} // namespace tarnwick
