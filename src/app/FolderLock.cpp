#include "app/FolderLock.h"

#include "base/FileAccess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <algorithm>

namespace tarnwick {
namespace {

// Who holds the folder: a service answers on its name, a window does not.
bool ServiceAnswers(const QString& folder) {
    QLocalSocket probe;
    probe.connectToServer(FolderLock::ServiceName(folder));
    return probe.waitForConnected(1000);
}

// The lock sits in the data folder; a folder the program may not write holds it in the
// user's runtime folder instead, under a name drawn from the data folder's path.
QString LockPathOf(const QString& folder) {
    if (CanWriteIn(folder.toStdU16String()))
        return QDir(folder).absoluteFilePath(QStringLiteral("tarnwick.lock"));
    const QByteArray key =
        QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(), QCryptographicHash::Sha256);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .absoluteFilePath(QStringLiteral("tarnwick-%1.lock").arg(QString::fromLatin1(key.toHex().left(32))));
}

} // namespace

FolderLock::FolderLock(const QString& folder) : folder_(folder), lock_(LockPathOf(folder)) {
    lock_.setStaleLockTime(0); // held for as long as the program runs, however long
}

FolderLock::~FolderLock() {
    Release();
}

FolderLock::Outcome FolderLock::TryTake() {
    if (held_) return Outcome::Taken;
    held_ = lock_.tryLock(0);
    if (held_) return Outcome::Taken;
    if (lock_.error() != QLockFile::LockFailedError) return Outcome::NotPossible;
    return ServiceAnswers(folder_) ? Outcome::HeldByService : Outcome::HeldByWindow;
}

void FolderLock::Release() {
    if (!held_) return;
    lock_.unlock();
    held_ = false;
}

QString FolderLock::ServiceName(const QString& folder) {
    const QByteArray path = QDir(folder).canonicalPath().toUtf8();
    return QStringLiteral("tarnwick-") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16));
}

std::unique_ptr<QLocalSocket> FolderLock::AskServiceToLetGo(const QString& folder, int timeoutMs,
                                                            const std::function<void()>& whileWaiting) {
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(ServiceName(folder));
    if (!socket->waitForConnected(timeoutMs)) return nullptr;
    socket->write("release\n");
    socket->flush();
    QElapsedTimer waited;
    waited.start();
    QByteArray answer;
    while (!(answer += socket->readAll()).contains('\n')) {
        const int left = timeoutMs - static_cast<int>(waited.elapsed());
        if (left <= 0 || socket->state() != QLocalSocket::ConnectedState) return nullptr;
        // In short waits, so that whoever waits can keep a window alive meanwhile.
        socket->waitForReadyRead(std::min(left, 100));
        if (whileWaiting) whileWaiting();
    }
    return answer.startsWith("released\n") ? std::move(socket) : nullptr;
}

} // namespace tarnwick
