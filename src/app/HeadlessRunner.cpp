#include "app/HeadlessRunner.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace tarnwick {

HeadlessRunner::HeadlessRunner(const Platform& platform, const QString& folder, bool catchUp,
                               std::ostream& log)
    : platform_(platform), folder_(folder), catchUp_(catchUp), log_(log), lock_(folder) {
    tick_ = new QTimer(this);
    tick_->setSingleShot(true);
    tick_->setTimerType(Qt::PreciseTimer);
    connect(tick_, &QTimer::timeout, this, [this] {
        Tick();
        Arm();
    });
    waitTimer_ = new QTimer(this);
    waitTimer_->setInterval(1000);
    connect(waitTimer_, &QTimer::timeout, this, [this] {
        if (lock_.TryTake() == FolderLock::Outcome::Taken) {
            waitTimer_->stop();
            log_ << "tarnwick: the folder is free again; going on from the last minute scanned" << std::endl;
            Run(true);
        }
    });
}

HeadlessRunner::~HeadlessRunner() = default;

bool HeadlessRunner::Start() {
    const FolderLock::Outcome outcome = lock_.TryTake();
    if (outcome == FolderLock::Outcome::HeldByService) {
        log_ << "Tarnwick is already running in this folder.\n" << folder_.toStdString() << std::endl;
        return false;
    }
    Listen();
    if (outcome == FolderLock::Outcome::HeldByWindow) {
        log_ << "tarnwick: a window runs in this folder; waiting for it to end" << std::endl;
        waitTimer_->start();
        return true;
    }
    // A folder that cannot hold a lock (NotPossible) cannot be saved to either.
    Run(false);
    return true;
}

void HeadlessRunner::Listen() {
    // A window started in this folder asks here for it; another service finds it taken.
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = FolderLock::ServiceName(folder_);
    QLocalServer::removeServer(name); // left behind by a service that was killed
    if (!server_->listen(name))
        log_ << "tarnwick: a window in this folder cannot take over: " << server_->errorString().toStdString()
             << std::endl;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void HeadlessRunner::Run(bool takingOver) {
    engine_ = std::make_unique<Engine>(platform_);
    engine_->Follow([this](Changes changes) {
        if (!changes.Has(Change::Frame)) return;
        log_ << engine_->LastFrame().historyLine << std::endl;
        LogPort();
    });
    if (takingOver)
        engine_->LoadTakingOver();
    else
        engine_->Load(catchUp_);
    for (const std::string& note : engine_->LoadNotes()) log_ << "tarnwick: " << note << std::endl;
    engine_->OpenPort();
    LogPort();
    mqtt_ = BrokerLink::Start(*engine_, mqttUrl_, log_, true);
    Arm();
}

void HeadlessRunner::Arm() {
    if (engine_) tick_->start(engine_->NextTickDelayMs());
}

void HeadlessRunner::Tick() {
    engine_->Tick();
    LogPort();
    if (lettingGo_ && engine_->WaitingCount() == 0) LetGo();
}

void HeadlessRunner::LogPort() {
    if (!engine_) return;
    const std::string port = engine_->Status().port;
    if (port == portText_) return;
    log_ << (portText_ = port) << std::endl;
}

void HeadlessRunner::OnRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) return;
    const QByteArray request = socket->readLine().trimmed();
    if (request != "release" || !engine_ || lettingGo_) {
        socket->disconnectFromServer();
        return;
    }
    log_ << "tarnwick: a window takes this folder over; sending what waits first" << std::endl;
    window_ = socket;
    lettingGo_ = true;
    // No minute is scanned any more; what was queued still goes out, a tick apart.
    engine_->StopScanning();
    if (engine_->WaitingCount() == 0) LetGo();
}

void HeadlessRunner::LetGo() {
    tick_->stop();
    mqtt_.reset();
    engine_->SaveAll();
    platform_.serial->Close();
    engine_.reset();
    portText_.clear();
    lock_.Release();
    lettingGo_ = false;
    // The folder comes back once the window is gone: its connection closes as it ends.
    if (!window_ || window_->state() != QLocalSocket::ConnectedState) {
        waitTimer_->start(); // it gave up waiting
        return;
    }
    connect(window_, &QLocalSocket::disconnected, this, [this] { waitTimer_->start(); });
    window_->write("released\n");
    window_->flush();
    log_ << "tarnwick: the folder is the window's until it ends" << std::endl;
}

void HeadlessRunner::Stop() {
    tick_->stop();
    waitTimer_->stop();
    mqtt_.reset();
    std::vector<std::string> unsaved;
    if (engine_) unsaved = engine_->SaveAll();
    if (unsaved.empty()) {
        QCoreApplication::exit(0);
        return;
    }
    std::string names;
    for (const std::string& name : unsaved) names += (names.empty() ? "" : ", ") + name;
    log_ << "tarnwick: changes not saved, the folder cannot be written: " << names << std::endl;
    QCoreApplication::exit(1);
}

} // namespace tarnwick
