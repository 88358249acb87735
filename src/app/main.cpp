// Tarnwick: switches X10 devices through a CM17A interface on a serial port.

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/QtSerialControl.h"
#include "app/SendCommand.h"
#include "app/SystemClocks.h"
#include "app/TerminationWatcher.h"
#include "base/FileAccess.h"
#include "schedule/RandomOffset.h"
#include "widgets/MessageBox.h"
#include "x10/SimulatedSerialControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <iostream>
#include <memory>
#include <optional>

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

bool WantsSend(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "send") return true;
    return false;
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

// The lock sits in the data folder; a folder the program may not write holds it in the
// user's runtime folder instead, under a name drawn from the data folder's path.
QString LockPath() {
    if (tarnwick::CanWriteIn(QDir::currentPath().toStdU16String()))
        return QDir::current().absoluteFilePath(QStringLiteral("tarnwick.lock"));
    const QByteArray key = QCryptographicHash::hash(QDir::currentPath().toUtf8(), QCryptographicHash::Sha256);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .absoluteFilePath(QStringLiteral("tarnwick-%1.lock").arg(QString::fromLatin1(key.toHex().left(32))));
}

// One program per data folder: a second one would send the same timetable and save over
// the first one's edits. A lock left behind by a program that was killed names a process
// that is gone, and is taken over. Where no lock can be made at all, none is needed.
bool LockDataFolder(QLockFile& lock) {
    lock.setStaleLockTime(0); // held for as long as the program runs, however long
    if (lock.tryLock(0) || lock.error() != QLockFile::LockFailedError) return true;
    tarnwick::ShowFinalMessage(nullptr, QStringLiteral("Tarnwick is already running in this folder.\n\n%1")
                                            .arg(QDir::toNativeSeparators(QDir::currentPath())));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarnwick;

    // The send command never opens a window, so it must not need a display either.
    if (WantsSend(Arguments(argc, argv))) {
        QCoreApplication app(argc, argv);
        const CommandLine line = ParseCommandLine(Arguments(argc, argv));
        if (const auto code = AnswerHelpOrError(line)) return *code;
        return RunSendCommand(line, std::cerr);
    }

    // Help needs no display, so it is answered before Qt looks for one.
    if (ParseCommandLine(Arguments(argc, argv)).help) return *AnswerHelpOrError(ParseCommandLine({"--help"}));

    TerminationWatcher::CatchSignals();
    QApplication app(argc, argv); // takes Qt's own options (-platform, -style) off the line
    const CommandLine line = ParseCommandLine(Arguments(argc, argv));
    if (const auto code = AnswerHelpOrError(line)) return *code;

    // Before any data file is read.
    QLockFile folderLock(LockPath());
    if (!LockDataFolder(folderLock)) return 3;

    SystemClock clock;
    SystemSteadyClock steady;
    DefaultRandom random;
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
    window.Load();
    // Ended during start-up (a signal while the port's message box was open): saved already.
    if (window.ShutdownDone()) return window.ExitStatus();
    window.show();
    return app.exec();
}
