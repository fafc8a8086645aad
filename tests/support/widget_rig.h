#pragma once

#include "fake_amplifier.h"
#include "fake_desktop.h"
#include "widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

// The main window on a scripted amplifier and fake desktop services, stepped by the test:
// the timers' slots are called directly instead of waiting for them.
struct WidgetRig
{
    QTemporaryDir dir;
    FakeAmplifier* amp = new FakeAmplifier;
    FakeHotKeys* hot_keys = new FakeHotKeys;
    FakeSleep* sleep = new FakeSleep;
    std::unique_ptr<Widget> window;

    explicit WidgetRig(const QString& settings_file = {})
    {
        PlatformServices services;
        services.hid.reset(amp);
        services.hot_keys.reset(hot_keys);
        services.sleep.reset(sleep);
        services.settings_path = settings_file.isEmpty() ? settings_path() : settings_file;
        services.executable_path = dir.filePath(QStringLiteral("quadron"));
        window = std::make_unique<Widget>(std::move(services), nullptr);
    }

    QString settings_path() const { return dir.filePath(QStringLiteral("config.ini")); }

    void check_device() { QMetaObject::invokeMethod(window.get(), "check_hid_device"); }
    void cycle() { QMetaObject::invokeMethod(window.get(), "form_update"); }
    void connect_amplifier()
    {
        check_device();
        cycle();
    }

    template <typename T> T* find(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QSlider* slider(const char* name) const { return find<QSlider>(name); }
    QCheckBox* check_box(const char* name) const { return find<QCheckBox>(name); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
    QRadioButton* radio(const char* name) const { return find<QRadioButton>(name); }
    QString text(const char* line_edit) const { return find<QLineEdit>(line_edit)->text(); }

    // Value byte of register k in the last image the amplifier received.
    int sent_value(std::size_t k) const { return amp->received.back()[2 + 2 * k + 1]; }
    std::vector<std::uint8_t> last_image() const
    {
        const auto& report = amp->received.back();
        return {report.begin() + 2, report.begin() + 40};
    }
};
