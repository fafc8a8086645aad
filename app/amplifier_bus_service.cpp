#include "amplifier_bus_service.h"

#include "amp_settings.h"
#include "quadron_core.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(bus_log, "quadron.dbus", QtInfoMsg)

namespace {

const QString properties_interface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString error_prefix = QStringLiteral("org.brenvik_quadron.Quadron.Error.");

struct ReadOnlyProperty
{
    const char* name;
    const char* signature;
};
const ReadOnlyProperty connection_properties[] = {
    {"connected", "b"}, {"variant", "s"}, {"problem", "s"}};

QString error_name(SettingRefusal::Reason reason)
{
    using R = SettingRefusal::Reason;
    switch (reason) {
    case R::unknown_name:
        return QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");
    case R::bad_value:
        return QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    case R::not_on_variant:
        return error_prefix + QStringLiteral("NotOnVariant");
    case R::not_found:
        return error_prefix + QStringLiteral("NoSuchPreset");
    case R::bad_file:
        return error_prefix + QStringLiteral("BadPresetFile");
    case R::cannot_write:
        return error_prefix + QStringLiteral("CannotWrite");
    case R::not_connected:
    case R::none:
        break;
    }
    return error_prefix + QStringLiteral("NotConnected");
}

QDBusMessage refusal_reply(const QDBusMessage& message, const SettingRefusal& refusal)
{
    return message.createErrorReply(error_name(refusal.reason), refusal.message);
}

} // namespace

AmplifierBusService::AmplifierBusService(QuadronCore& program, const QString& service_name)
    : core(program), bus(QDBusConnection::sessionBus()), service(service_name)
{
    if (!bus.isConnected()) {
        qCInfo(bus_log, "no session bus: the D-Bus interface is not offered");
        return;
    }
    if (!bus.registerVirtualObject(QLatin1String(object_path), this)) {
        qCWarning(bus_log, "the D-Bus object cannot be offered: %s",
                  qUtf8Printable(bus.lastError().message()));
        return;
    }
    const auto reply =
        bus.interface()->registerService(service, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        qCWarning(bus_log,
                  "the D-Bus name %s is taken (another copy from elsewhere?); the "
                  "interface is offered by this copy's unique name only",
                  qUtf8Printable(service));
    }
    offered = true;
    connect(&core, &QuadronCore::values_changed, this, &AmplifierBusService::properties_changed);
    connect(&core, &QuadronCore::presets_changed, this, &AmplifierBusService::presets_changed);
}

AmplifierBusService::~AmplifierBusService()
{
    if (!offered)
        return;
    bus.unregisterObject(QLatin1String(object_path));
    bus.unregisterService(service);
}

QString AmplifierBusService::introspect(const QString&) const
{
    QString xml = QStringLiteral("<interface name=\"%1\">\n").arg(QLatin1String(interface_name));
    for (const AmpSetting& setting : amp_settings())
        xml += QStringLiteral("<property name=\"%1\" type=\"%2\" access=\"readwrite\"/>\n")
                   .arg(QLatin1String(setting.name), QLatin1String(setting.dbus_signature()));
    for (const ReadOnlyProperty& property : connection_properties)
        xml += QStringLiteral("<property name=\"%1\" type=\"%2\" access=\"read\"/>\n")
                   .arg(QLatin1String(property.name), QLatin1String(property.signature));
    xml += QStringLiteral("<property name=\"presets\" type=\"as\" access=\"read\"/>\n");
    for (const AmpAction& action : amp_actions)
        xml += QStringLiteral("<method name=\"%1\"/>\n").arg(QLatin1String(action.dbus_method));
    xml += QStringLiteral(
        "<method name=\"ShowWindow\"/>\n"
        "<method name=\"Undo\"><arg name=\"undone\" type=\"b\" direction=\"out\"/></method>\n"
        "<method name=\"Redo\"><arg name=\"redone\" type=\"b\" direction=\"out\"/></method>\n"
        "<method name=\"ApplyPreset\"><arg name=\"name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"skipped\" type=\"s\" direction=\"out\"/></method>\n"
        "<method name=\"SavePreset\"><arg name=\"name\" type=\"s\" direction=\"in\"/></method>\n"
        "<method name=\"ExportPreset\"><arg name=\"name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"file\" type=\"s\" direction=\"in\"/></method>\n"
        "<method name=\"ImportPreset\"><arg name=\"file\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"imported\" type=\"s\" direction=\"out\"/></method>\n"
        "<signal name=\"PresetsChanged\"><arg name=\"names\" type=\"as\"/></signal>\n"
        "</interface>\n");
    // The bus library adds the standard interfaces (Properties among them) itself.
    return xml;
}

bool AmplifierBusService::handleMessage(const QDBusMessage& message,
                                        const QDBusConnection& connection)
{
    if (message.path() != QLatin1String(object_path))
        return false;
    const QList<QVariant> arguments = message.arguments();
    QDBusMessage reply;
    if (message.interface() == properties_interface) {
        const QString interface = arguments.value(0).toString();
        if (!interface.isEmpty() && interface != QLatin1String(interface_name))
            reply = message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                QStringLiteral("no interface %1 here").arg(interface));
        else if (message.member() == QLatin1String("Get") && arguments.size() == 2)
            reply = get(message, arguments[1].toString());
        else if (message.member() == QLatin1String("GetAll") && arguments.size() == 1)
            reply = get_all(message);
        else if (message.member() == QLatin1String("Set") && arguments.size() == 3)
            reply =
                set(message, arguments[1].toString(), arguments[2].value<QDBusVariant>().variant());
        else
            reply = message.createErrorReply(QDBusError::UnknownMethod,
                                             QStringLiteral("no such method"));
    } else if (message.interface().isEmpty() ||
               message.interface() == QLatin1String(interface_name)) {
        reply = call(message);
    } else {
        return false;
    }
    connection.send(reply);
    return true;
}

QVariant AmplifierBusService::value_of(const QString& name) const
{
    if (name == QLatin1String("connected"))
        return core.connected();
    if (name == QLatin1String("variant"))
        return core.variant_name();
    if (name == QLatin1String("problem"))
        return core.problem_text();
    if (name == QLatin1String("presets"))
        return core.preset_names();
    if (const AmpSetting* setting = find_amp_setting(name))
        return setting->dbus(setting->read(core.amplifier_state().controls()));
    return {};
}

QDBusMessage AmplifierBusService::get(const QDBusMessage& message, const QString& name) const
{
    const QVariant value = value_of(name);
    if (!value.isValid())
        return message.createErrorReply(QDBusError::UnknownProperty,
                                        QStringLiteral("no property %1").arg(name));
    return message.createReply(QVariant::fromValue(QDBusVariant(value)));
}

QDBusMessage AmplifierBusService::get_all(const QDBusMessage& message) const
{
    QVariantMap all;
    for (const AmpSetting& setting : amp_settings())
        all.insert(QLatin1String(setting.name), value_of(QLatin1String(setting.name)));
    for (const ReadOnlyProperty& property : connection_properties)
        all.insert(QLatin1String(property.name), value_of(QLatin1String(property.name)));
    all.insert(QStringLiteral("presets"), core.preset_names());
    return message.createReply(all);
}

QDBusMessage AmplifierBusService::set(const QDBusMessage& message, const QString& name,
                                      const QVariant& value)
{
    const AmpSetting* setting = find_amp_setting(name);
    if (!setting) {
        const bool read_only = value_of(name).isValid();
        return message.createErrorReply(
            read_only ? QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly")
                      : QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
            read_only ? QStringLiteral("%1 is read-only").arg(name)
                      : QStringLiteral("no property %1").arg(name));
    }
    const std::optional<int> parsed = setting->from_dbus(value);
    if (!parsed)
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("%1 takes %2 (D-Bus type %3)")
                .arg(name, setting->accepted(), QLatin1String(setting->dbus_signature())));
    if (const SettingRefusal refusal = core.change_settings({{setting, *parsed}}))
        return refusal_reply(message, refusal);
    return message.createReply();
}

QDBusMessage AmplifierBusService::call(const QDBusMessage& message)
{
    if (message.member() == QLatin1String("ShowWindow")) {
        core.show_window();
        return message.createReply();
    }
    if (message.member() == QLatin1String("Undo") || message.member() == QLatin1String("Redo")) {
        QString nothing;
        const SettingRefusal refusal =
            message.member() == QLatin1String("Undo") ? core.undo(&nothing) : core.redo(&nothing);
        if (refusal)
            return refusal_reply(message, refusal);
        return message.createReply(nothing.isEmpty());
    }
    if (QDBusMessage reply = preset_call(message); reply.type() != QDBusMessage::InvalidMessage)
        return reply;
    for (const AmpAction& action : amp_actions) {
        if (message.member() == QLatin1String(action.dbus_method)) {
            if (const SettingRefusal refusal = core.take_action(action.hot_key_id))
                return refusal_reply(message, refusal);
            return message.createReply();
        }
    }
    return message.createErrorReply(QDBusError::UnknownMethod,
                                    QStringLiteral("no method %1").arg(message.member()));
}

// The preset methods, checked for their arguments' types; an invalid message for any other.
QDBusMessage AmplifierBusService::preset_call(const QDBusMessage& message)
{
    struct Method
    {
        const char* name;
        int strings;
    };
    const Method methods[] = {
        {"ApplyPreset", 1}, {"SavePreset", 1}, {"ExportPreset", 2}, {"ImportPreset", 2}};
    const QString member = message.member();
    const Method* method = nullptr;
    for (const Method& candidate : methods) {
        if (member == QLatin1String(candidate.name))
            method = &candidate;
    }
    if (!method)
        return {};
    const QList<QVariant> arguments = message.arguments();
    QStringList strings;
    for (const QVariant& argument : arguments) {
        if (argument.metaType().id() == QMetaType::QString)
            strings.append(argument.toString());
    }
    if (arguments.size() != method->strings || strings.size() != method->strings)
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("%1 takes %2 strings").arg(member).arg(method->strings));
    QString answer;
    SettingRefusal refusal;
    if (member == QLatin1String("ApplyPreset"))
        refusal = core.apply_preset(strings[0], &answer);
    else if (member == QLatin1String("SavePreset"))
        refusal = core.save_preset(strings[0]);
    else if (member == QLatin1String("ExportPreset"))
        refusal = core.export_preset(strings[0], strings[1]);
    else
        refusal = core.import_preset(strings[0], strings[1], &answer);
    if (refusal)
        return refusal_reply(message, refusal);
    if (member == QLatin1String("ApplyPreset") || member == QLatin1String("ImportPreset"))
        return message.createReply(answer.trimmed());
    return message.createReply();
}

void AmplifierBusService::presets_changed(const QStringList& names)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(object_path), QLatin1String(interface_name),
                                   QStringLiteral("PresetsChanged"));
    signal << names;
    bus.send(signal);
    QDBusMessage properties = QDBusMessage::createSignal(
        QLatin1String(object_path), properties_interface, QStringLiteral("PropertiesChanged"));
    properties << QLatin1String(interface_name) << QVariantMap{{QStringLiteral("presets"), names}}
               << QStringList();
    bus.send(properties);
}

void AmplifierBusService::properties_changed(const QStringList& names)
{
    QVariantMap changed;
    for (const QString& name : names)
        changed.insert(name, value_of(name));
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(object_path), properties_interface, QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(interface_name) << changed << QStringList();
    bus.send(signal);
}
