// Tarnwick: switches X10 devices through a CM17A interface on a serial port.

#include "app/FolderLock.h"
#include "app/HeadlessRunner.h"
#include "app/MainWindow.h"
#include "app/QtSerialControl.h"
#include "app/SendCommand.h"
#include "app/SystemClocks.h"
#include "app/TerminationWatcher.h"
#include "base/RandomOffset.h"
#include "engine/CommandLine.h"
#include "engine/PlanCommand.h"
#include "widgets/MessageBox.h"
#include "x10/SimulatedSerialControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QLocalSocket>
#include <QThread>

#include <iostream>
#include <memory>
#include <optional>
#include <random>

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

// The first word that is not an option: "send", "plan", or nothing for the window.
std::string CommandOf(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "send" || a == "plan") return a;
    return {};
}

// Help and unusable lines end the program here; nullopt means go on.
std::optional<int> AnswerHelpOrError(const tarnwick::CommandLine& line) {
    if (line.help) {
        std::cout << tarnwick::UsageText();
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << "tarnwick: " << line.error << "\n\n" << tarnwick::UsageText();
        return 2;
    }
    return std::nullopt;
}

// A window or a service already running in this folder.
void SayAlreadyRunning() {
    const QString text = QStringLiteral("Tarnwick is already running in this folder.\n\n%1")
                             .arg(QDir::toNativeSeparators(QDir::currentPath()));
    tarnwick::ShowFinalMessage(nullptr, text);
}

void SayServiceKeepsTheFolder() {
    const QString text =
        QStringLiteral("The Tarnwick service in this folder did not hand it over in time; it goes on "
                       "running the schedule.\n\n%1")
            .arg(QDir::toNativeSeparators(QDir::currentPath()));
    tarnwick::ShowFinalMessage(nullptr, text);
}

// What the program talks to, as the command line chooses.
struct World {
    explicit World(const tarnwick::CommandLine& line) : random(Seed()) {
        if (line.simulate)
            serial = std::make_unique<tarnwick::SimulatedSerialControl>(std::cerr, &steady);
        else
            serial = std::make_unique<tarnwick::QtSerialControl>(line.portDevices);
        platform.serial = serial.get();
        platform.clock = &clock;
        platform.steady = &steady;
        platform.random = &random;
    }
    // Shifts that repeat from one start to the next would give a pattern away.
    static std::uint64_t Seed() {
        std::random_device entropy;
        return (std::uint64_t{entropy()} << 32) ^ entropy();
    }
    tarnwick::SystemClock clock;
    tarnwick::SystemSteadyClock steady;
    tarnwick::DefaultRandom random;
    std::unique_ptr<tarnwick::ISerialControl> serial;
    tarnwick::Platform platform;
};

int RunHeadless(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const tarnwick::CommandLine line = tarnwick::ParseCommandLine(Arguments(argc, argv));
    if (const auto code = AnswerHelpOrError(line)) return *code;
    World world(line);
    tarnwick::HeadlessRunner runner(world.platform, QDir::currentPath(), line.catchUp, std::cerr);
    runner.SetBrokerOverride(line.mqttUrl);
    tarnwick::TerminationWatcher watcher;
    QObject::connect(&watcher, &tarnwick::TerminationWatcher::terminationRequested, &runner,
                     &tarnwick::HeadlessRunner::Stop);
    if (!runner.Start()) return 3;
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarnwick;

    // The commands never open a window, so they must not need a display either.
    if (const std::string command = CommandOf(Arguments(argc, argv)); !command.empty()) {
        QCoreApplication app(argc, argv);
        const CommandLine line = ParseCommandLine(Arguments(argc, argv));
        if (const auto code = AnswerHelpOrError(line)) return *code;
        if (line.plan) {
            SystemClock clock;
            return RunPlanCommand(line, clock, {}, std::cout);
        }
        return RunSendCommand(line, std::cerr);
    }

    // Help needs no display, so it is answered before Qt looks for one.
    const CommandLine early = ParseCommandLine(Arguments(argc, argv));
    if (early.help) return *AnswerHelpOrError(ParseCommandLine({"--help"}));

    TerminationWatcher::CatchSignals();
    // Without a window there is no display to need, nor Qt's window options: a mistake on a
    // service's line is answered as any other.
    if (early.headless) return RunHeadless(argc, argv);
    QApplication app(argc, argv); // takes Qt's own options (-platform, -style) off the line
    const CommandLine line = ParseCommandLine(Arguments(argc, argv));
    if (const auto code = AnswerHelpOrError(line)) return *code;

    // Before any data file is read. A service running here lets the folder go for as long
    // as the window runs: the connection to it stays open until the window ends.
    FolderLock folderLock(QDir::currentPath());
    FolderLock::Outcome held = folderLock.TryTake();
    std::unique_ptr<QLocalSocket> service;
    bool askedService = false;
    if (held == FolderLock::Outcome::HeldByService) {
        askedService = true;
        // The service sends what waits in its queue first, which can take a while: say why
        // nothing else shows yet.
        QLabel waiting(QStringLiteral("Waiting for the Tarnwick service in this folder to hand it over..."));
        waiting.setWindowFlags(Qt::SplashScreen);
        waiting.setWindowTitle(QStringLiteral("Tarnwick"));
        waiting.setMargin(24);
        waiting.show();
        QCoreApplication::processEvents();
        service = FolderLock::AskServiceToLetGo(QDir::currentPath(), 120'000, [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        // Handed over, or the service ended meanwhile: the lock is free, or soon will be.
        for (int i = 0; i < 100 && held != FolderLock::Outcome::Taken; ++i) {
            QThread::msleep(50);
            held = folderLock.TryTake();
        }
    }
    if (held == FolderLock::Outcome::HeldByService && askedService) {
        SayServiceKeepsTheFolder();
        return 3;
    }
    if (held == FolderLock::Outcome::HeldByWindow || held == FolderLock::Outcome::HeldByService) {
        SayAlreadyRunning();
        return 3;
    }

    World world(line);
    // The engine outlives the window and everything in it.
    Engine engine(world.platform);
    MainWindow window(engine, world.platform.folder);
    TerminationWatcher watcher;
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested, &window, &MainWindow::Shutdown);
    // Any other way out of the event loop still saves first.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &MainWindow::Shutdown);
    window.SetBrokerOverride(line.mqttUrl);
    window.Load(line.catchUp, service != nullptr);
    // Ended during start-up (a signal while the port's message box was open): saved already.
    if (window.ShutdownDone()) return window.ExitStatus();
    window.show();
    return app.exec();
}
