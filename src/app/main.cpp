// Tarnwick: switches X10 devices through a CM17A interface on a serial port.

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/PlanCommand.h"
#include "app/QtSerialControl.h"
#include "app/SendCommand.h"
#include "app/SystemClocks.h"
#include "app/TerminationWatcher.h"
#include "base/RandomOffset.h"
#include "widgets/MessageBox.h"
#include "x10/SimulatedSerialControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLockFile>

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

// One program per data folder: a second one would save over the first one's edits. A lock
// left behind by a program that was killed names a process that is gone, and is taken over.
// A folder where no lock can be made cannot be saved to either, so it needs none.
bool LockDataFolder(QLockFile& lock) {
    lock.setStaleLockTime(0); // held for as long as the program runs, however long
    if (lock.tryLock(0) || lock.error() != QLockFile::LockFailedError) return true;
    const QString text = QStringLiteral("Tarnwick is already running in this folder.\n\n%1")
                             .arg(QDir::toNativeSeparators(QDir::currentPath()));
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        std::cerr << text.toStdString() << "\n";
    else
        tarnwick::ShowMessage(nullptr, text);
    return false;
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
    if (ParseCommandLine(Arguments(argc, argv)).help) return *AnswerHelpOrError(ParseCommandLine({"--help"}));

    TerminationWatcher::CatchSignals();
    QApplication app(argc, argv); // takes Qt's own options (-platform, -style) off the line
    const CommandLine line = ParseCommandLine(Arguments(argc, argv));
    if (const auto code = AnswerHelpOrError(line)) return *code;

    // Before any data file is read.
    QLockFile folderLock(QDir::current().absoluteFilePath(QStringLiteral("tarnwick.lock")));
    if (!LockDataFolder(folderLock)) return 3;

    SystemClock clock;
    SystemSteadyClock steady;
    // Shifts that repeat from one start to the next would give a pattern away.
    std::random_device entropy;
    DefaultRandom random((std::uint64_t{entropy()} << 32) ^ entropy());
    std::unique_ptr<ISerialControl> serial;
    if (line.simulate)
        serial = std::make_unique<SimulatedSerialControl>(std::cerr, &steady);
    else
        serial = std::make_unique<QtSerialControl>(line.portDevices);
    Platform platform;
    platform.serial = serial.get();
    platform.clock = &clock;
    platform.steady = &steady;
    platform.random = &random;

    MainWindow window(platform);
    TerminationWatcher watcher;
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested, &window, &MainWindow::Shutdown);
    // Any other way out of the event loop still saves first.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &MainWindow::Shutdown);
    window.Load(line.catchUp);
    // Ended during start-up (a signal while the port's message box was open): saved already.
    if (window.ShutdownDone()) return 0;
    window.show();
    return app.exec();
}
