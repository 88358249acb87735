#pragma once
// `tarnwick --headless`: the schedule without a window or a display, for a box nobody looks
// at or a user service. Its log is standard error: a line per frame, as history.txt has it,
// and a line whenever the port changes. A window started in its folder takes the folder over
// for as long as it runs.

#include "app/FolderLock.h"
#include "engine/Engine.h"
#include "mqtt/client/BrokerLink.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <ostream>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace tarnwick {

class HeadlessRunner : public QObject {
    Q_OBJECT
public:
    // The folder is the data folder; platform's folder must name it too.
    HeadlessRunner(const Platform& platform, const QString& folder, bool catchUp, std::ostream& log);
    ~HeadlessRunner() override;

    // Takes the folder (or waits for the window holding it) and starts; false when another
    // service holds it (the program then ends with status 3).
    bool Start();
    // Saves and ends the program with status 0.
    void Stop();
    // The broker of --mqtt, over the settings file's; call before Start.
    void SetBrokerOverride(std::string url) { mqttUrl_ = std::move(url); }

private:
    void Listen();
    void Run(bool takingOver);
    void Tick();
    void Arm();
    void LogPort();
    void OnRequest(QLocalSocket* socket);
    void LetGo();

    Platform platform_;
    QString folder_;
    bool catchUp_;
    std::ostream& log_;
    FolderLock lock_;
    std::unique_ptr<Engine> engine_;
    std::string mqttUrl_;
    std::unique_ptr<BrokerLink> mqtt_; // goes before the engine it follows
    QTimer* tick_ = nullptr;
    QTimer* waitTimer_ = nullptr;
    QLocalServer* server_ = nullptr;
    QPointer<QLocalSocket> window_; // the window the folder is lent to, or asking for it
    std::string portText_;
    bool lettingGo_ = false;
};

} // namespace tarnwick
