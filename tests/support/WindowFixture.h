#pragma once
// Builds the real main window on fakes in a temporary folder, for widget tests.

#include "widgets/MessageBox.h"
#include "schedule/RandomOffset.h"
#include "support/Fakes.h"
#include "app/MainWindow.h"
#include "x10/FrameDecoder.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tarnwick::testing {

struct WindowFixture {
    // folder: the data folder to use, by default a fresh temporary one.
    explicit WindowFixture(bool failOpen = false, DateTime now = MakeDateTime(2026, 12, 8, 7, 29, 10),
                           const QString& dataFolder = {})
        : clock(now) {
        auto recording = std::make_unique<RecordingSerialControl>();
        recording->failOpen = failOpen;
        serial = recording.get();
        SetMessageHandler([this](const QString& text) { messages << text; });
        Platform platform;
        platform.serial = std::move(recording);
        platform.clock = &clock;
        platform.steady = nullptr;
        platform.random = &random;
        platform.folder = (dataFolder.isEmpty() ? folder.path() : dataFolder).toStdString();
        window = std::make_unique<MainWindow>(std::move(platform));
        window->SetEndAction([this] { ++ends; });
    }
    ~WindowFixture() {
        window.reset();
        SetMessageHandler({});
    }

    // The frames that went out on the lines so far, as "C3 On"; forgets them afterwards.
    QStringList TakeSent() {
        QStringList sent;
        FrameDecoder decoder([&sent](const std::string& line) { sent << QString::fromStdString(line); });
        for (const auto& c : serial->changes) {
            if (c.line == LineChange::DTR)
                dtr = c.asserted;
            else
                rts = c.asserted;
            decoder.LinesChanged(dtr, rts);
        }
        serial->changes.clear();
        return sent;
    }

    QTemporaryDir folder;
    bool dtr = true;
    bool rts = true;
    FakeClock clock;
    DefaultRandom random;
    RecordingSerialControl* serial = nullptr;
    QStringList messages;
    int ends = 0;
    std::unique_ptr<MainWindow> window;
};

} // namespace tarnwick::testing
