#pragma once

#include "fake_amplifier.h"
#include "hot_key_service.h"
#include "quadron_core.h"
#include "sleep_notifier.h"
#include "widget.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

// Every hot key the window asks for is granted, and pressed when the test says; the real keys
// and the machine sleeping are the process tests' part.
struct GrantedHotKeys : HotKeyService
{
    bool register_hot_key(int, quint32, quint32) override { return true; }
    QString status() const override { return QStringLiteral("x11"); }
    void press(int id) { Q_EMIT activated(id); }
};

// The program's core on a scripted amplifier and quiet desktop services, with its window once
// shown. The link is not given a thread of its own: the test steps its two timer slots and
// lets the queued signals through.
struct WindowRig
{
    QTemporaryDir dir;
    FakeAmplifier* amp = new FakeAmplifier;
    GrantedHotKeys* hot_keys = new GrantedHotKeys;
    std::unique_ptr<QuadronCore> core;

    explicit WindowRig(const QString& settings_file = {})
    {
        PlatformServices services;
        services.hid.reset(amp);
        services.hot_keys.reset(hot_keys);
        services.sleep = std::make_unique<SleepNotifier>();
        services.settings_path =
            settings_file.isEmpty() ? dir.filePath(QStringLiteral("config.ini")) : settings_file;
        services.executable_path = dir.filePath(QStringLiteral("quadron"));
        services.presets_folder = dir.filePath(QStringLiteral("presets"));
        services.link_on_own_thread = false;
        core = std::make_unique<QuadronCore>(std::move(services));
    }

    AmplifierLink& link() { return core->amplifier_link(); }
    Widget* window() const { return core->window(); }
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
    // Unplugged, then plugged back in as an amplifier of this variant and connected.
    void replug(int variant)
    {
        amp->plugged = false;
        check_device();
        amp->plugged = true;
        amp->variant = variant;
        connect_amplifier();
    }
    void show() { core->message_arrived(QStringLiteral("Rise up!")); }

    template <typename T> T* find(const QString& name) const
    {
        return window()->findChild<T*>(name);
    }
    // The image (38 bytes) in the last output report the amplifier received.
    std::vector<std::uint8_t> last_image() const
    {
        const auto& report = amp->received.back();
        return {report.begin() + 2, report.begin() + 40};
    }
};
