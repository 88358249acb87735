// Draws the README's pictures from the real windows, offscreen, with sample data:
// tarnwick_screenshots OUTPUT_FOLDER

#include "app/MainWindow.h"
#include "base/RandomOffset.h"
#include "x10/SimulatedSerialControl.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <iostream>
#include <sstream>

namespace {

using namespace tarnwick;

class FixedClock final : public IClock {
public:
    // 2026-06-21 18:00 local, on a clock without a time zone offset.
    std::chrono::sys_seconds NowUtc() override {
        return std::chrono::sys_days{std::chrono::year{2026} / 6 / 21} + std::chrono::hours{18};
    }
    std::chrono::seconds UtcOffset(std::chrono::sys_seconds) const override { return {}; }
};

bool Save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    const bool ok = widget->grab().save(path);
    std::cout << (ok ? "wrote " : "could not write ") << path.toStdString() << "\n";
    return ok;
}

void SampleData(Engine& e) {
    const char* names[] = {"Porch Light", "Den Lamp", "Hall", "Kitchen", "Fan", "Garden"};
    for (int u = 0; u < 6; ++u) e.SetName(u, names[u]);
    e.SetRandomInterval(std::chrono::minutes{30});
    for (int w = 1; w <= 5; ++w) {
        e.SetTime(0, w, 0, true, TimeOfDay(6, 30));
        e.SetRandomised(0, w, 0, true, true);
        e.SetTime(0, w, 0, false, TimeOfDay(8, 0));
    }
    e.SetTime(0, 0, 1, true, TimeOfDay(18, 45));
    e.SetTime(0, 0, 1, false, TimeOfDay(23, 15));
    e.SetRandomised(0, 0, 1, false, true);
    e.SetTime(0, 6, 1, true, TimeOfDay(19, 0));
    e.SetTime(0, 6, 1, false, TimeOfDay(23, 30));
    e.SetSunEvent(0, 2, SunWhen::After, std::chrono::minutes{30}, SunAction::On);
    e.SetSunRandomised(0, 2, true);
    e.SetSunEvent(0, 1, SunWhen::Before, std::chrono::minutes{15}, SunAction::Off);
    Location place = e.CurrentLocation();
    place.latitude = 32.78;
    place.longitude = -96.8;
    e.SetLocation(place);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: tarnwick_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    QTemporaryDir data;
    FixedClock clock;
    DefaultRandom random;
    std::ostringstream frames;
    SimulatedSerialControl serial(frames, nullptr);
    Platform platform;
    platform.serial = &serial;
    platform.clock = &clock;
    platform.random = &random;
    platform.folder = data.path().toStdString();
    {
        // The sample house goes into the data files, where the program finds it at start-up.
        Engine sample(platform);
        sample.Load();
        SampleData(sample);
        sample.SaveAll();
    }
    Engine engine(platform);
    MainWindow window(engine, platform.folder);
    window.SetEndAction([] {});
    window.Load();
    window.show();
    window.findChild<QCheckBox*>("chkA(1)")->click(); // the Den Lamp switched on by hand

    auto* tabs = window.findChild<QTabBar*>("TabStrip1");
    bool ok = Save(&window, out.filePath("remote-control.png"));
    const char* pages[] = {"schedule.png", "sunrise-and-sunset.png"};
    for (int i = 1; i <= 2; ++i) {
        tabs->setCurrentIndex(i);
        ok &= Save(&window, out.filePath(pages[i - 1]));
    }
    window.findChild<QAction*>("mnuLocation")->trigger();
    ok &= Save(window.findChild<QWidget*>("frmLocation"), out.filePath("location.png"));
    window.findChild<QAction*>("mnuUpcoming")->trigger();
    ok &= Save(window.findChild<QWidget*>("frmUpcoming"), out.filePath("upcoming.png"));
    window.findChild<QAction*>("mnuHelpAbout")->trigger();
    ok &= Save(window.findChild<QWidget*>("frmAbout"), out.filePath("about.png"));
    return ok ? 0 : 1;
}
