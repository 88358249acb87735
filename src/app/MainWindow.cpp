#include "app/MainWindow.h"

#include "app/AboutWindow.h"
#include "app/ConfigFile.h"
#include "app/HelpWindow.h"
#include "remote/NamesFile.h"
#include "remote/ui/RemotePanel.h"
#include "schedule/ScheduleFile.h"
#include "schedule/TickPacing.h"
#include "schedule/ui/SchedulePanel.h"
#include "sun/Solar.h"
#include "sun/SunriseFile.h"
#include "sun/ui/LocationDialog.h"
#include "sun/ui/SunrisePanel.h"
#include "widgets/MessageBox.h"
#include "x10/CodeTable.h"
#include "x10/MessageQueue.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QShortcut>
#include <QStackedLayout>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace tarnwick {
namespace {

constexpr std::array<std::int16_t, 4> kCpuFactors = {1, 3, 9, 27};
constexpr std::array<const char*, 4> kCpuNames = {"mnuPentium1", "mnuPentium2", "mnuPentium3", "mnuPentium4"};
constexpr std::array<const char*, 4> kCpuCaptions = {"Pentium I", "Pentium II", "Pentium III", "Pentium IV"};
constexpr std::array<std::int16_t, 5> kClockFactors = {25, 50, 100, 200, 400};
constexpr std::array<const char*, 5> kClockNames = {"mnu200MHz", "mnu400MHz", "mnu800MHz", "mnu1600MHz",
                                                    "mnu3200MHz"};
constexpr std::array<const char*, 5> kClockCaptions = {"200 MHz or Less", "233 MHz to 400 MHz",
                                                       "433 MHz to 800 MHz", "833 MHz to 1600 MHz",
                                                       "1.633 GHz to 3.2 GHz"};

// Makes the window the first time, then shows it again, modeless.
template <typename Window, typename Make> void ShowSecondary(QPointer<Window>& window, Make make) {
    if (!window) window = make();
    window->show();
    window->raise();
    window->activateWindow();
}

QAction* AddCheckable(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(false);
    return action;
}

} // namespace

MainWindow::MainWindow(Platform platform, QWidget* parent)
    : QMainWindow(parent), state_(std::make_unique<AppState>()), serial_(std::move(platform.serial)),
      clock_(*platform.clock), steady_(platform.steady), random_(*platform.random), files_(platform.folder),
      transmitter_(*state_, *serial_, steady_), scheduler_(*state_, clock_, random_, transmitter_),
      end_([] { QApplication::exit(0); }) {
    setObjectName(QStringLiteral("frmRemote"));
    setWindowTitle(QStringLiteral("Tarnwick V1.01.00"));
    BuildMenus();
    BuildPages();

    // Runs from creation on; its first tick can only come after Load has returned. Each
    // tick sets the next one, so that the ticks keep to the grid of the minute.
    tmrsendmessage_ = new QTimer(this);
    tmrsendmessage_->setObjectName(QStringLiteral("tmrsendmessage"));
    tmrsendmessage_->setSingleShot(true);
    tmrsendmessage_->setTimerType(Qt::PreciseTimer);
    connect(tmrsendmessage_, &QTimer::timeout, this, [this] {
        Tick();
        ArmTimer();
    });
    ArmTimer();
}

void MainWindow::ArmTimer() {
    if (shuttingDown_) return;
    std::optional<std::int64_t> sinceFrame;
    if (steady_)
        if (const auto start = transmitter_.LastFrameStartNs())
            sinceFrame = (steady_->NowNanoseconds() - *start) / 1'000'000;
    tmrsendmessage_->start(NextTickDelayMs(clock_.MillisecondOfMinute(), sinceFrame));
}

MainWindow::~MainWindow() {
    // The pages and windows still react to the focus leaving them as they go, and
    // they work on the state: they must go while the state is still here.
    tmrsendmessage_->stop();
    delete frmAbout_;
    delete frmHelp_;
    delete frmLocation_;
    delete takeCentralWidget();
}

void MainWindow::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, &MainWindow::Shutdown);

    QMenu* mnuConfigure = menuBar()->addMenu(QStringLiteral("&Configure"));
    mnuConfigure->setObjectName(QStringLiteral("mnuConfigure"));

    QAction* mnuLocation = mnuConfigure->addAction(QStringLiteral("&Location"));
    mnuLocation->setObjectName(QStringLiteral("mnuLocation"));
    connect(mnuLocation, &QAction::triggered, this, [this] {
        ShowSecondary(frmLocation_, [this] { return new LocationDialog(*state_, clock_, this); });
    });

    QMenu* mnuCPUType = mnuConfigure->addMenu(QStringLiteral("CPU Type"));
    mnuCPUType->setObjectName(QStringLiteral("mnuCPUType"));
    for (int i = 0; i < 4; ++i) {
        mnuPentium_[i] = AddCheckable(mnuCPUType, kCpuNames[i], QString::fromLatin1(kCpuCaptions[i]));
        connect(mnuPentium_[i], &QAction::triggered, this, [this, i] { SelectCpu(i); });
    }
    QMenu* mnuCPURate = mnuConfigure->addMenu(QStringLiteral("CPU Clock Rate"));
    mnuCPURate->setObjectName(QStringLiteral("mnuCPURate"));
    for (int i = 0; i < 5; ++i) {
        mnuClock_[i] = AddCheckable(mnuCPURate, kClockNames[i], QString::fromLatin1(kClockCaptions[i]));
        connect(mnuClock_[i], &QAction::triggered, this, [this, i] { SelectClock(i); });
    }
    QMenu* mnuCOMPort = mnuConfigure->addMenu(QStringLiteral("Com Port"));
    mnuCOMPort->setObjectName(QStringLiteral("mnuCOMPort"));
    for (int i = 0; i < 4; ++i) {
        mnuCOM_[i] = AddCheckable(mnuCOMPort, QStringLiteral("mnuCOM%1").arg(i + 1).toLatin1().constData(),
                                  QStringLiteral("COM %1").arg(i + 1));
        connect(mnuCOM_[i], &QAction::triggered, this, [this, i] { SelectPort(i + 1); });
    }

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* mnuHelpIndex = mnuHelp->addAction(QStringLiteral("&Help"));
    mnuHelpIndex->setObjectName(QStringLiteral("mnuHelpIndex"));
    connect(mnuHelpIndex, &QAction::triggered, this,
            [this] { ShowSecondary(frmHelp_, [this] { return new HelpWindow(this); }); });
    QAction* mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this,
            [this] { ShowSecondary(frmAbout_, [this] { return new AboutWindow(this); }); });
}

void MainWindow::BuildPages() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    tabStrip_ = new QTabBar(central);
    tabStrip_->setObjectName(QStringLiteral("TabStrip1"));
    tabStrip_->addTab(QStringLiteral("Remote Control"));
    tabStrip_->addTab(QStringLiteral("Schedule"));
    tabStrip_->addTab(QStringLiteral("Sunrise and Sunset"));
    tabStrip_->setExpanding(false);
    layout->addWidget(tabStrip_);
    remote_ = new RemotePanel(*state_, transmitter_, central);
    schedule_ = new SchedulePanel(*state_, random_, central);
    sunrise_ = new SunrisePanel(*state_, random_, central);
    pages_ = {remote_, schedule_, sunrise_};
    // One page shown at a time, in room made for the largest: switching never resizes the window.
    pageStack_ = new QStackedLayout;
    for (QGroupBox* page : pages_) pageStack_->addWidget(page);
    layout->addLayout(pageStack_, 1);
    // Whatever selects a tab (a click, the arrow keys, the wheel) shows its page; a click on
    // the tab already selected changes nothing there but still refreshes the page.
    connect(tabStrip_, &QTabBar::currentChanged, this, [this](int index) { ShowPage(index + 1); });
    connect(tabStrip_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == tabStrip_->currentIndex()) ShowPage(index + 1);
    });
    // The keys every tabbed window answers to, wherever the focus is in it.
    const auto step = [this](int by) {
        tabStrip_->setCurrentIndex((tabStrip_->currentIndex() + by + tabStrip_->count()) %
                                   tabStrip_->count());
    };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [step] { step(1); });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [step] { step(-1); });
    setCentralWidget(central);
    resize(560, 380);
}

void MainWindow::ShowPage(int index) {
    if (index < 1 || index > 3) return;
    // Refreshed before it shows, so a page never shows stale values.
    if (index == 2) schedule_->UpdateScheduleDisplay();
    if (index == 3) sunrise_->UpdateSunriseDisplay();
    pageStack_->setCurrentIndex(index - 1);
}

void MainWindow::Load() {
    const DateTime now = clock_.Now();
    InitializeData(*state_, now);
    ReadConfigFile();
    ReadScheduleFile(*state_, files_);
    ReadSunriseScheduleFile(*state_, files_);
    ReadNamesFile(*state_, files_);
    persistence_.Loaded(*state_);
    savedScan_ = state_->LastScanTime;
    CalculateSunTimes(*state_, now);

    serial_->SetCommPort(state_->CommPortNumber);
    serial_->SetSettings("9600,N,8,1");
    OpenCommPort();
    // Ending the program from within the port's message box: everything read is saved
    // already, and the window is never shown.
    if (shuttingDown_) return;
    transmitter_.ReopenBeforeFrames();
    serial_->SetDTREnable(true);
    serial_->SetRTSEnable(true);
    // The Remote Control page first, without refreshing the other two.
    tabStrip_->setCurrentIndex(0);
    pageStack_->setCurrentIndex(0);
    remote_->ShowNames();
    loaded_ = true;
}

void MainWindow::ReadConfigFile() {
    tarnwick::ReadConfigFile(*state_, files_);
    for (QAction* a : mnuCOM_) a->setChecked(false);
    MarkCpuAndClock();
    schedule_->ShowRandomInterval();
}

void MainWindow::Shutdown() {
    if (shuttingDown_) return;
    shuttingDown_ = true;
    tmrsendmessage_->stop();
    // A name or time still being typed has not left its box; keep it all the same. Before
    // start-up has filled the boxes they hold nothing of the user's.
    if (loaded_) {
        remote_->StoreNames();
        schedule_->StoreTypedTimes();
        sunrise_->StoreTypedTimes();
    }
    persistence_.SaveAll(*state_);
    delete frmAbout_;
    delete frmHelp_;
    delete frmLocation_;
    hide();
    files_.CloseAll();
    end_();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Shutdown();
    event->accept();
}

void MainWindow::Tick() {
    // A message box during start-up runs the event loop; the timer must still wait for the end of it.
    if (!loaded_ || shuttingDown_) return;
    scheduler_.Tick();
    // A new minute was scanned: put what changed since the last save on disk, and look
    // once for a port that went away (frames look for it themselves).
    if (state_->LastScanTime != savedScan_) {
        savedScan_ = state_->LastScanTime;
        remote_->StoreNames();
        persistence_.SaveChanged(*state_);
        transmitter_.EnsurePortOpen();
    }
    ShowPortState();
}

// The mark of the chosen port says whether it is really open.
void MainWindow::ShowPortState() {
    const int port = state_->CommPortNumber;
    if (port >= 1 && port <= 4) mnuCOM_[port - 1]->setChecked(serial_->PortOpen());
}

void MainWindow::OpenCommPort() {
    if (!OpenPort(*serial_)) {
        ShowMessage(this, QStringLiteral("Comm Port is already open"));
        return;
    }
    const int port = state_->CommPortNumber;
    if (port >= 1 && port <= 4) mnuCOM_[port - 1]->setChecked(true);
}

void MainWindow::CloseCommPort() {
    for (QAction* a : mnuCOM_) a->setChecked(false);
    ClosePort(*serial_);
}

void MainWindow::SelectPort(int port) {
    CloseCommPort();
    state_->CommPortNumber = static_cast<std::int16_t>(port);
    serial_->SetCommPort(static_cast<std::int16_t>(port));
    OpenCommPort();
}

void MainWindow::SelectCpu(int item) {
    state_->CpuFactor = kCpuFactors[item];
    MarkCpuAndClock();
}

void MainWindow::SelectClock(int item) {
    state_->ClockFactor = kClockFactors[item];
    MarkCpuAndClock();
}

// One mark per group, on the item whose factor is in force.
void MainWindow::MarkCpuAndClock() {
    for (int i = 0; i < 4; ++i) mnuPentium_[i]->setChecked(kCpuFactors[i] == state_->CpuFactor);
    for (int i = 0; i < 5; ++i) mnuClock_[i]->setChecked(kClockFactors[i] == state_->ClockFactor);
}

} // namespace tarnwick
