#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>

class QuadronCore;

// The running copy on the session bus: one property per setting of the table (read-write,
// writes checked by the same table), the connection and the presets' names as read-only
// properties, PropertiesChanged for every change (and PresetsChanged for the presets), the four
// actions, ShowWindow, Undo, Redo and the preset methods. The session bus is the user's own, so
// every caller is this user; nothing else is offered.
class AmplifierBusService : public QDBusVirtualObject
{
    Q_OBJECT
public:
    static constexpr char object_path[] = "/org/brenvik_quadron/Quadron";
    static constexpr char interface_name[] = "org.brenvik_quadron.Quadron.Amplifier";

    // Takes service_name on the session bus; when that cannot be had it says so once and
    // offers nothing.
    AmplifierBusService(QuadronCore& core, const QString& service_name);
    ~AmplifierBusService() override;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void properties_changed(const QStringList& names);
    void presets_changed(const QStringList& names);
    QDBusMessage preset_call(const QDBusMessage& message);
    QDBusMessage get(const QDBusMessage& message, const QString& name) const;
    QDBusMessage get_all(const QDBusMessage& message) const;
    QDBusMessage set(const QDBusMessage& message, const QString& name, const QVariant& value);
    QDBusMessage call(const QDBusMessage& message);
    QVariant value_of(const QString& name) const;

    QuadronCore& core;
    QDBusConnection bus;
    QString service;
    bool offered = false;
};
