#pragma once

#include "fake_amplifier.h"
#include "fake_desktop.h"
#include "widget.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

// The main window on a scripted amplifier and fake desktop services. The link is not given a
// thread of its own: the test steps its two timer slots and lets the queued signals through.
struct WindowRig
{
    QTemporaryDir dir;
    FakeAmplifier* amp = new FakeAmplifier;
    FakeHotKeys* hot_keys = new FakeHotKeys;
    FakeSleep* sleep = new FakeSleep;
    std::unique_ptr<Widget> window;

    explicit WindowRig(const QString& settings_file = {})
    {
        PlatformServices services;
        services.hid.reset(amp);
        services.hot_keys.reset(hot_keys);
        services.sleep.reset(sleep);
        services.settings_path =
            settings_file.isEmpty() ? dir.filePath(QStringLiteral("config.ini")) : settings_file;
        services.executable_path = dir.filePath(QStringLiteral("quadron"));
        services.link_on_own_thread = false;
        window = std::make_unique<Widget>(std::move(services), nullptr);
    }

    AmplifierLink& link() { return window->amplifier_link(); }
    static void settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }
    void check_device()
    {
        link().check_hid_device();
        settle();
    }
    void cycle()
    {
        settle(); // what the window handed over reaches the link first, as on its own thread
        link().form_update();
        settle();
    }
    // Opened, identified and read; the image it read comes back with the next cycle.
    void connect_amplifier()
    {
        check_device();
        cycle();
        cycle();
    }
    void show() { window->message_arrived(QStringLiteral("Rise up!")); }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    // The image (38 bytes) in the last output report the amplifier received.
    std::vector<std::uint8_t> last_image() const
    {
        const auto& report = amp->received.back();
        return {report.begin() + 2, report.begin() + 40};
    }
};
