#include "app/MainWindow.h"

#include "engine/Version.h"

#include "app/AboutWindow.h"
#include "app/HelpWindow.h"
#include "app/UpcomingWindow.h"
#include "base/FileAccess.h"
#include "mqtt/client/BrokerLink.h"
#include "mqtt/ui/BrokerDialog.h"
#include "remote/ui/RemotePanel.h"
#include "schedule/ui/SchedulePanel.h"
#include "sun/ui/LocationDialog.h"
#include "sun/ui/SunrisePanel.h"
#include "widgets/MessageBox.h"
#include "widgets/StatusLabel.h"
#include "widgets/Windows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QShortcut>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <initializer_list>
#include <iostream>

namespace tarnwick {
namespace {

constexpr std::array<const char*, 4> kCpuNames = {"mnuPentium1", "mnuPentium2", "mnuPentium3", "mnuPentium4"};
constexpr std::array<const char*, 4> kCpuCaptions = {"Pentium I", "Pentium II", "Pentium III", "Pentium IV"};
constexpr std::array<const char*, 5> kClockNames = {"mnu200MHz", "mnu400MHz", "mnu800MHz", "mnu1600MHz",
                                                    "mnu3200MHz"};
constexpr std::array<const char*, 5> kClockCaptions = {"200 MHz or Less", "233 MHz to 400 MHz",
                                                       "433 MHz to 800 MHz", "833 MHz to 1600 MHz",
                                                       "1.633 GHz to 3.2 GHz"};

// Makes the window the first time, then shows it again, modeless.
template <typename Window, typename Make> void ShowSecondary(QPointer<Window>& window, Make make) {
    if (!window) window = make();
    FitOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
}

// The data folder as the user knows it.
QString FolderText(const std::filesystem::path& folder) {
    return QDir::toNativeSeparators((folder.empty() ? QDir::current() : QDir(folder)).absolutePath());
}

QAction* AddCheckable(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(false);
    return action;
}

} // namespace

MainWindow::MainWindow(Engine& engine, std::filesystem::path folder, QWidget* parent)
    : QMainWindow(parent), engine_(engine), folder_(std::move(folder)),
      end_([this] { QApplication::exit(exitStatus_); }) {
    setObjectName(QStringLiteral("frmRemote"));
    setWindowTitle(QStringLiteral("Tarnwick ") + QString::fromStdString(VersionMark(true)));
    BuildMenus();
    BuildPages();
    BuildStatusBar();
    FitOnScreen(this);
    engine_.SetBeforeSave([this] { remote_->StoreNames(); });
    following_ = engine_.Follow([this](Changes changes) {
        if (changes.Has(Change::Frame)) ShowStatus();
        // What the plan is made of: worked out afresh once the event at hand is done.
        for (Change c : {Change::Minute, Change::Names, Change::Timetable, Change::SunEvents,
                         Change::Location, Change::Settings})
            if (changes.Has(c) && !planStale_) {
                planStale_ = true;
                QTimer::singleShot(0, this, [this] {
                    if (planStale_) RefreshUpcoming();
                });
            }
    });

    // Runs from creation on; its first tick can only come after Load has returned. Each
    // tick sets the next one, so that the ticks keep to the grid of the minute.
    tickTimer_ = new QTimer(this);
    tickTimer_->setObjectName(QStringLiteral("tmrsendmessage"));
    tickTimer_->setSingleShot(true);
    tickTimer_->setTimerType(Qt::PreciseTimer);
    connect(tickTimer_, &QTimer::timeout, this, [this] {
        Tick();
        ArmTimer();
    });
    ArmTimer();
}

void MainWindow::ArmTimer() {
    if (!shuttingDown_) tickTimer_->start(engine_.NextTickDelayMs());
}

MainWindow::~MainWindow() {
    // The bridge says "offline" as it goes, while the engine it follows is still here.
    mqtt_.reset();
    engine_.Unfollow(following_);
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
    connect(mnuLocation, &QAction::triggered, this,
            [this] { ShowSecondary(locationWindow_, [this] { return new LocationDialog(engine_, this); }); });

    QMenu* mnuCPUType = mnuConfigure->addMenu(QStringLiteral("CPU Type"));
    mnuCPUType->setObjectName(QStringLiteral("mnuCPUType"));
    for (int i = 0; i < 4; ++i) {
        cpuActions_[i] = AddCheckable(mnuCPUType, kCpuNames[i], QString::fromLatin1(kCpuCaptions[i]));
        connect(cpuActions_[i], &QAction::triggered, this, [this, i] { SelectCpu(i); });
    }
    QMenu* mnuCPURate = mnuConfigure->addMenu(QStringLiteral("CPU Clock Rate"));
    mnuCPURate->setObjectName(QStringLiteral("mnuCPURate"));
    for (int i = 0; i < 5; ++i) {
        clockActions_[i] = AddCheckable(mnuCPURate, kClockNames[i], QString::fromLatin1(kClockCaptions[i]));
        connect(clockActions_[i], &QAction::triggered, this, [this, i] { SelectClock(i); });
    }
    QMenu* mnuCOMPort = mnuConfigure->addMenu(QStringLiteral("Com Port"));
    mnuCOMPort->setObjectName(QStringLiteral("mnuCOMPort"));
    for (int i = 0; i < 4; ++i) {
        portActions_[i] =
            AddCheckable(mnuCOMPort, QStringLiteral("mnuCOM%1").arg(i + 1).toLatin1().constData(),
                         QStringLiteral("COM %1").arg(i + 1));
        connect(portActions_[i], &QAction::triggered, this, [this, i] { SelectPort(i + 1); });
    }
    mnuConfigure->addSeparator();
    catchUpAction_ = AddCheckable(mnuConfigure, "mnuCatchUp", QStringLiteral("Catch Up at Start"));
    connect(catchUpAction_, &QAction::triggered, this, [this](bool on) {
        if (!engine_.SetCatchUpAtStart(on))
            statusBar()->showMessage(
                QStringLiteral("Catch Up at Start holds until exit: %1 could not be written")
                    .arg(QString::fromLatin1(kAppSettingsFileName)),
                10000);
    });
    mnuConfigure->addSeparator();
    QAction* mnuMqtt = mnuConfigure->addAction(QStringLiteral("&MQTT Broker..."));
    mnuMqtt->setObjectName(QStringLiteral("mnuMqtt"));
    connect(mnuMqtt, &QAction::triggered, this, [this] {
        ShowSecondary(brokerWindow_, [this] {
            auto* dialog = new BrokerDialog(this);
            connect(dialog, &BrokerDialog::settingsChosen, this, &MainWindow::ChooseBroker);
            return dialog;
        });
        // As the settings file has them now, and the connection as it is.
        brokerWindow_->ShowSettings(ReadMqttSettings(engine_.SettingsFile()));
        ShowBrokerStatus();
    });

    QMenu* mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    QAction* mnuUpcoming = mnuView->addAction(QStringLiteral("&Upcoming Switchings"));
    mnuUpcoming->setObjectName(QStringLiteral("mnuUpcoming"));
    connect(mnuUpcoming, &QAction::triggered, this, [this] {
        ShowSecondary(upcomingWindow_, [this] {
            auto* window = new UpcomingWindow(this);
            connect(window, &UpcomingWindow::deviceChosen, this, &MainWindow::ShowPlannedDevice);
            connect(window, &UpcomingWindow::activated, this, &MainWindow::RefreshUpcoming);
            return window;
        });
        RefreshUpcoming();
    });

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* mnuHelpIndex = mnuHelp->addAction(QStringLiteral("&Help"));
    mnuHelpIndex->setObjectName(QStringLiteral("mnuHelpIndex"));
    connect(mnuHelpIndex, &QAction::triggered, this,
            [this] { ShowSecondary(helpWindow_, [this] { return new HelpWindow(this); }); });
    QAction* mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this,
            [this] { ShowSecondary(aboutWindow_, [this] { return new AboutWindow(this); }); });
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
    remote_ = new RemotePanel(engine_, central);
    schedule_ = new SchedulePanel(engine_, central);
    sunrise_ = new SunrisePanel(engine_, central);
    pages_ = {remote_, schedule_, sunrise_};
    // A time typed and not taken is said for a few seconds where the user looks for news.
    const auto say = [this](const QString& text) { statusBar()->showMessage(text, 5000); };
    connect(schedule_, &SchedulePanel::timeRefused, this, say);
    connect(sunrise_, &SunrisePanel::timeRefused, this, say);
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
}

void MainWindow::BuildStatusBar() {
    const auto addLabel = [this](const char* name, const QString& what, int stretch) {
        auto* label = new StatusLabel(what, statusBar());
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        statusBar()->addWidget(label, stretch);
        return label;
    };
    folderLabel_ = addLabel("lblFolder", QString(), 0);
    folderLabel_->hide();
    portLabel_ = addLabel("lblInterface", QStringLiteral("Interface"), 0);
    lastFrameLabel_ = addLabel("lblLastFrame", QStringLiteral("Last frame"), 1);
    waitingLabel_ = addLabel("lblWaiting", QStringLiteral("Queue"), 0);
    mqttLabel_ = addLabel("lblMqtt", QString(), 0);
    mqttLabel_->hide();
    statusBar()->setSizeGripEnabled(false);
    // The pages keep their room; the window grows by the status bar.
    resize(560, 380 + statusBar()->sizeHint().height());
}

void MainWindow::ShowPage(int index) {
    if (index < 1 || index > 3) return;
    // Refreshed before it shows, so a page never shows stale values.
    if (index == 2) schedule_->Refresh();
    if (index == 3) sunrise_->Refresh();
    pageStack_->setCurrentIndex(index - 1);
}

void MainWindow::Load(bool catchUp, bool takingOver) {
    if (takingOver)
        engine_.LoadTakingOver();
    else
        engine_.Load(catchUp);
    // Edits in a folder that cannot be written are lost at exit, and a damaged file was read only
    // in part: the user knows from the start.
    QStringList notes;
    if (!CanWriteIn(folder_))
        notes << QStringLiteral("Read-only folder: changes are not saved (%1)").arg(FolderText(folder_));
    for (const std::string& note : engine_.LoadNotes()) notes << QString::fromStdString(note);
    folderLabel_->SetText(notes.join(QStringLiteral("  ")));
    folderLabel_->setVisible(!notes.isEmpty());
    for (QAction* a : portActions_) a->setChecked(false);
    catchUpAction_->setChecked(engine_.appSettings().catchUpAtStart);
    MarkCpuAndClock();
    schedule_->ShowInterval();

    OpenPortOrSay();
    // Ending the program from within the port's message box: everything read is saved
    // already, and the window is never shown.
    if (shuttingDown_) return;
    // The Remote Control page first, without refreshing the other two.
    tabStrip_->setCurrentIndex(0);
    pageStack_->setCurrentIndex(0);
    remote_->ShowNames();
    loaded_ = true;
    ShowStatus();
    StartBroker(mqttUrl_);
}

void MainWindow::StoreTyping() {
    remote_->StoreNames();
    schedule_->StoreTypedTimes();
    sunrise_->StoreTypedTimes();
}

void MainWindow::Shutdown() {
    if (shuttingDown_) return;
    shuttingDown_ = true;
    tickTimer_->stop();
    // A name or time still being typed has not left its box; keep it all the same. Before
    // start-up has filled the boxes they hold nothing of the user's.
    if (loaded_) StoreTyping();
    if (locationWindow_) locationWindow_->StoreTyping();
    // A clean exit says "offline" to the broker.
    mqtt_.reset();
    if (const std::vector<std::string> unsaved = engine_.SaveAll(); !unsaved.empty()) {
        exitStatus_ = 1;
        QStringList names;
        for (const std::string& name : unsaved) names << QString::fromStdString(name);
        ShowFinalMessage(this, QStringLiteral("Changes could not be saved to %1.\n\n%2")
                                   .arg(names.join(QStringLiteral(", ")), FolderText(folder_)));
    }
    // Hidden, not deleted: the end may come from a message box one of them shows, whose event
    // loop is still below us. They go with this window.
    for (QWidget* window : std::initializer_list<QWidget*>{brokerWindow_, upcomingWindow_, aboutWindow_,
                                                           helpWindow_, locationWindow_})
        if (window) window->hide();
    hide();
    end_();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Shutdown();
    event->accept();
}

void MainWindow::Tick() {
    // A message box during start-up runs the event loop; the timer must still wait for the end of it.
    if (!loaded_ || shuttingDown_) return;
    engine_.Tick();
    ShowStatus();
    if (planStale_) RefreshUpcoming();
}

void MainWindow::RefreshUpcoming() {
    if (!upcomingWindow_ || !upcomingWindow_->isVisible() || !loaded_) return;
    planStale_ = false;
    upcomingWindow_->Show(engine_.Upcoming(), engine_.Names(), engine_.RandomInterval());
}

void MainWindow::ShowPlannedDevice(int device, bool sunEvent) {
    const int tab = sunEvent ? 2 : 1;
    tabStrip_->setCurrentIndex(tab);
    if (sunEvent)
        sunrise_->ShowDevice(device);
    else
        schedule_->ShowDevice(device);
    activateWindow();
    raise();
}

void MainWindow::ShowStatus() {
    // The mark of the chosen port says whether it is really open.
    const int port = engine_.CurrentSettings().commPort;
    if (port >= 1 && port <= 4) portActions_[port - 1]->setChecked(engine_.PortOpen());
    const StatusTexts status = engine_.Status();
    portLabel_->SetText(QString::fromStdString(status.port));
    lastFrameLabel_->SetText(QString::fromStdString(status.lastFrame));
    waitingLabel_->SetText(QString::fromStdString(status.waiting));
    // An empty panel would read as a missing text.
    lastFrameLabel_->setVisible(!status.lastFrame.empty());
    waitingLabel_->setVisible(!status.waiting.empty());
}

void MainWindow::StartBroker(const std::string& urlOverride) {
    mqtt_.reset();
    mqtt_ = BrokerLink::Start(engine_, urlOverride, std::cerr, false);
    if (mqtt_) connect(mqtt_.get(), &BrokerLink::statusChanged, this, &MainWindow::ShowBrokerStatus);
    ShowBrokerStatus();
}

void MainWindow::ChooseBroker(const MqttSettings& settings) {
    // A password is for the user's eyes only.
    const FileProtection protection =
        settings.password.empty() ? FileProtection::Keep : FileProtection::OwnerOnly;
    if (!engine_.EditSettingsFile([&settings](IniFile& file) { WriteMqttSettings(settings, file); },
                                  protection))
        statusBar()->showMessage(QStringLiteral("The MQTT settings hold until exit: %1 could not be written")
                                     .arg(QString::fromLatin1(kAppSettingsFileName)),
                                 10000);
    // The broker chosen here takes the place of --mqtt's for the rest of the run.
    StartBroker({});
}

void MainWindow::ShowBrokerStatus() {
    const QString status = mqtt_ ? mqtt_->Status() : QString();
    mqttLabel_->SetText(status);
    mqttLabel_->setVisible(!status.isEmpty());
    if (brokerWindow_) brokerWindow_->ShowStatus(status);
}

void MainWindow::OpenPortOrSay() {
    if (!engine_.OpenPort()) {
        ShowMessage(this, QStringLiteral("Comm Port is already open"));
        return;
    }
    ShowStatus();
}

void MainWindow::SelectPort(int port) {
    for (QAction* a : portActions_) a->setChecked(false);
    const bool opened = engine_.SelectPort(port);
    ShowStatus();
    if (!opened) ShowMessage(this, QStringLiteral("Comm Port is already open"));
}

void MainWindow::SelectCpu(int item) {
    engine_.SetCpuFactor(kCpuFactors[item]);
    MarkCpuAndClock();
}

void MainWindow::SelectClock(int item) {
    engine_.SetClockFactor(kClockFactors[item]);
    MarkCpuAndClock();
}

// One mark per group, on the item whose factor is in force.
void MainWindow::MarkCpuAndClock() {
    for (int i = 0; i < 4; ++i)
        cpuActions_[i]->setChecked(kCpuFactors[i] == engine_.CurrentSettings().cpuFactor);
    for (int i = 0; i < 5; ++i)
        clockActions_[i]->setChecked(kClockFactors[i] == engine_.CurrentSettings().clockFactor);
}

} // namespace tarnwick
