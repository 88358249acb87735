#pragma once
// The main window: composes the three pages, the menus, the serial control and
// the minute timer, and runs the start-up and shutdown sequences.

#include "app/Persistence.h"
#include "base/AppState.h"
#include "base/DataFiles.h"
#include "base/Interfaces.h"
#include "schedule/Scheduler.h"
#include "x10/Transmitter.h"

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
class HelpWindow;
class LocationDialog;
class RemotePanel;
class SchedulePanel;
class SunrisePanel;

// What the outside world hands the main window: the serial control, the clocks,
// the random sequence and the folder of the data files (empty: the current folder).
struct Platform {
    std::unique_ptr<ISerialControl> serial;
    IClock* clock = nullptr;
    ISteadyClock* steady = nullptr; // may be null: no minimum half-step length
    IRandom* random = nullptr;
    std::filesystem::path folder;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Platform platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; call once before showing the window.
    void Load();
    // The shutdown sequence: saves everything and ends the program. Runs once.
    void Shutdown();
    // What ending the program means; quits the application unless a test says otherwise.
    void SetEndAction(std::function<void()> end) { end_ = std::move(end); }

    AppState& State() { return *state_; }
    ISerialControl& Serial() { return *serial_; }
    bool ShutdownDone() const { return shuttingDown_; }

    // The timer's handler, public so tests can tick without waiting.
    void Tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildPages();
    void OpenCommPort();
    void CloseCommPort();
    void SelectPort(int port);
    void SelectCpu(int item);
    void SelectClock(int item);
    void MarkCpuAndClock();
    void ReadConfigFile();
    void ShowPage(int index);
    void ArmTimer();
    void ShowPortState();

    std::unique_ptr<AppState> state_;
    std::unique_ptr<ISerialControl> serial_;
    IClock& clock_;
    ISteadyClock* steady_;
    IRandom& random_;
    FileTable files_;
    Persistence persistence_{files_};
    DateTime savedScan_ = 0; // the scan time at the last minute save
    Transmitter transmitter_;
    Scheduler scheduler_;
    std::function<void()> end_;
    bool loaded_ = false;
    bool shuttingDown_ = false;

    QTimer* tmrsendmessage_ = nullptr;
    QTabBar* tabStrip_ = nullptr;
    RemotePanel* remote_ = nullptr;
    SchedulePanel* schedule_ = nullptr;
    SunrisePanel* sunrise_ = nullptr;
    std::array<QGroupBox*, 3> pages_{};
    QStackedLayout* pageStack_ = nullptr;
    std::array<QAction*, 4> mnuCOM_{};
    std::array<QAction*, 4> mnuPentium_{};
    std::array<QAction*, 5> mnuClock_{};

    // The secondary windows, each made on first use and kept until exit.
    QPointer<LocationDialog> frmLocation_;
    QPointer<HelpWindow> frmHelp_;
    QPointer<AboutWindow> frmAbout_;
};

} // namespace tarnwick
