#pragma once
// The main window: composes the three pages, the menus, the serial control and
// the minute timer, and runs the start-up and shutdown sequences.

#include "engine/Engine.h"
#include "mqtt/MqttSettings.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QStackedLayout;
class QTabBar;
class QTimer;

namespace tarnwick {

class AboutWindow;
class BrokerDialog;
class BrokerLink;
class HelpWindow;
class LocationDialog;
class RemotePanel;
class SchedulePanel;
class StatusLabel;
class SunrisePanel;
class UpcomingWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The engine outlives the window; folder is the data folder it saves to.
    MainWindow(Engine& engine, std::filesystem::path folder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; call once before showing the window. catchUp asks for a
    // catch-up at this start, whatever the menu's setting; takingOver goes on from the last
    // minute the service that had the folder scanned.
    void Load(bool catchUp = false, bool takingOver = false);
    // The shutdown sequence: saves everything and ends the program. Runs once.
    void Shutdown();
    // The broker of --mqtt, over the settings file's, until one is chosen in the window; call
    // before Load.
    void SetBrokerOverride(std::string url) { mqttUrl_ = std::move(url); }
    // What ending the program means; quits the application unless a test says otherwise.
    void SetEndAction(std::function<void()> end) { end_ = std::move(end); }

    Engine& engine() { return engine_; }
    bool ShutdownDone() const { return shuttingDown_; }
    // 0, or 1 when the shutdown could not save every change.
    int ExitStatus() const { return exitStatus_; }

    // The timer's handler, public so tests can tick without waiting.
    void Tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildPages();
    void OpenPortOrSay();
    void SelectPort(int port);
    void SelectCpu(int item);
    void SelectClock(int item);
    void MarkCpuAndClock();
    void ShowPage(int index);
    void ArmTimer();
    void BuildStatusBar();
    // The status bar and the port's menu mark, from the engine's state.
    void ShowStatus();
    void StoreTyping();
    // The upcoming switchings, brought up to date when the window is open.
    void RefreshUpcoming();
    // A device chosen in the upcoming switchings, on the page that plans it.
    void ShowPlannedDevice(int device, bool sunEvent);
    // The bridge to the broker, started anew; none when MQTT is off.
    void StartBroker(const std::string& urlOverride);
    void ChooseBroker(const MqttSettings& settings);
    void ShowBrokerStatus();

    Engine& engine_;
    int following_ = 0;
    bool planStale_ = false; // the plan shown is older than a change to what it is made of
    std::string mqttUrl_;
    std::unique_ptr<BrokerLink> mqtt_; // follows the engine; goes before it
    std::filesystem::path folder_;
    std::function<void()> end_;
    bool loaded_ = false;
    bool shuttingDown_ = false;
    int exitStatus_ = 0;

    QTimer* tickTimer_ = nullptr;
    QTabBar* tabStrip_ = nullptr;
    RemotePanel* remote_ = nullptr;
    SchedulePanel* schedule_ = nullptr;
    SunrisePanel* sunrise_ = nullptr;
    std::array<QGroupBox*, 3> pages_{};
    QStackedLayout* pageStack_ = nullptr;
    std::array<QAction*, 4> portActions_{};
    std::array<QAction*, 4> cpuActions_{};
    std::array<QAction*, 5> clockActions_{};
    QAction* catchUpAction_ = nullptr;
    StatusLabel* folderLabel_ = nullptr;
    StatusLabel* portLabel_ = nullptr;
    StatusLabel* lastFrameLabel_ = nullptr;
    StatusLabel* waitingLabel_ = nullptr;
    StatusLabel* mqttLabel_ = nullptr;

    // The secondary windows, each made on first use and kept until exit.
    QPointer<LocationDialog> locationWindow_;
    QPointer<HelpWindow> helpWindow_;
    QPointer<AboutWindow> aboutWindow_;
    QPointer<UpcomingWindow> upcomingWindow_;
    QPointer<BrokerDialog> brokerWindow_;
};

} // namespace tarnwick
