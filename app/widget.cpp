#include "widget.h"

#include "combo_box_items.h"
#include "hid_commands.h"
#include "ui_widget.h"
#include "variant_availability.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {
constexpr int reconnect_interval_ms = 500;
constexpr int update_interval_ms = 100;
// How long a desktop gets to bring up its notification area before the window shows itself.
constexpr int tray_grace_ms = 3000;
} // namespace

Widget::Widget(QWidget* parent) : Widget(PlatformServices::system(), parent) {}

Widget::Widget(PlatformServices services, QWidget* parent)
    : QWidget(parent), ui(new Ui::Widget), device(std::move(services.hid)), session(device),
      hot_keys(std::move(services.hot_keys)), sleep_notifier(std::move(services.sleep)),
      settings_path(std::move(services.settings_path)),
      executable_path(std::move(services.executable_path))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setWindowTitle(tr("Brenvik Quadron v.1.03"));
    QCoreApplication::setOrganizationName(QStringLiteral("TOLVEN LABS"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brenvik-quadron.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quadron"));

    load_settings();
    create_actions();
    create_tray_icon();
    quit_requested = false;
    connect(tray_icon, &QSystemTrayIcon::activated, this, &Widget::tray_icon_Activated);
    tray_icon->setVisible(true);
    setWindowIcon(app_icon);

    register_hot_keys();
    device.init_ids(AMPLIFIER_VENDOR_ID, AMPLIFIER_PRODUCT_ID, 0, 0);
    polling_enabled = true;
    connect(sleep_notifier.get(), &SleepNotifier::suspending, this, &Widget::system_suspending);
    connect(sleep_notifier.get(), &SleepNotifier::resumed, this, &Widget::system_resumed);

    fill_combo_boxes(ui);
    setMinimumSize(minimumSizeHint());
    setMaximumSize(minimumSizeHint());

    red_pixmap.load(QStringLiteral(":/images/red-button.png"));
    green_pixmap.load(QStringLiteral(":/images/green-button.png"));
    connected_shown = false;
    updating_controls = false;
    device_variant = 0;

    reconnect_timer = new QTimer(this);
    connect(reconnect_timer, &QTimer::timeout, this, &Widget::check_hid_device);
    reconnect_timer->setSingleShot(true);
    reconnect_timer->setInterval(reconnect_interval_ms);
    reconnect_timer->start();

    update_timer = new QTimer(this);
    connect(update_timer, &QTimer::timeout, this, &Widget::form_update);
    update_timer->setSingleShot(true);
    update_timer->setInterval(update_interval_ms);
    update_timer->start();

    QTimer::singleShot(tray_grace_ms, this, &Widget::check_tray_available);
}

Widget::~Widget()
{
    delete ui;
    save_settings();
}

void Widget::create_actions()
{
    show_hide_action = new QAction(tr("Показать"), this);
    connect(show_hide_action, &QAction::triggered, this, &Widget::show_hide_slot);
    quit_action = new QAction(tr("Выход"), this);
    connect(quit_action, &QAction::triggered, this, &Widget::quit_slot);
}

void Widget::create_tray_icon()
{
    tray_menu = new QMenu(this);
    tray_menu->addAction(show_hide_action);
    tray_menu->addSeparator();
    tray_menu->addAction(quit_action);
    tray_icon = new QSystemTrayIcon(this);
    tray_icon->setContextMenu(tray_menu);
    app_icon = QIcon(QStringLiteral(":/images/sounds.png"));
    tray_icon->setIcon(app_icon);
    tray_icon->setToolTip(tr("Brenvik Quadron"));
}

void Widget::show_window()
{
    showNormal();
    activateWindow();
    raise();
    show_hide_action->setText(tr("Спрятать"));
}

void Widget::hide_to_tray()
{
    hide();
    show_hide_action->setText(tr("Показать"));
}

void Widget::show_hide_slot()
{
    if (isVisible())
        hide_to_tray();
    else
        show_window();
}

void Widget::quit_slot()
{
    quit_requested = true;
    close();
}

void Widget::request_exit()
{
    quit_slot();
}

void Widget::tray_icon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        show_window();
}

void Widget::message_arrived(const QString& message)
{
    if (message == tr("Rise up!"))
        show_window();
}

// Without a notification area there is no way back to a hidden window, so closing it ends
// the program as "Выход" does.
void Widget::closeEvent(QCloseEvent* event)
{
    if (quit_requested || !QSystemTrayIcon::isSystemTrayAvailable()) {
        event->accept();
        QCoreApplication::exit(0);
        return;
    }
    hide_to_tray();
    event->ignore();
}

void Widget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

void Widget::check_tray_available()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() && isHidden())
        show_window();
}

void Widget::check_hid_device()
{
    if (polling_enabled)
        device.open_device();
    reconnect_timer->start();
}

void Widget::form_update()
{
    switch (session.prepare()) {
    case SyncSession::Step::NotOpen:
    case SyncSession::Step::Lost:
        show_disconnected();
        update_timer->start();
        return;
    case SyncSession::Step::IdentifyFailed:
        end_with_error(QT_TR_NOOP("Не удалось опознать устройство!"), 1);
        return;
    case SyncSession::Step::UnsupportedVariant:
        device_variant = session.variant();
        end_with_error(QT_TR_NOOP("Неверная версия устройства!"), 2);
        return;
    case SyncSession::Step::ReadFailed:
        update_timer->start();
        return;
    case SyncSession::Step::ImageRead:
        device_variant = session.variant();
        image.load_image(session.read_payload());
        updating_controls = true;
        apply_image_to_controls();
        updating_controls = false;
        break;
    case SyncSession::Step::Ready:
        break;
    }
    image.store_image(write_payload.data());
    if (session.write(write_payload.data()))
        show_connected();
    update_timer->start();
}

void Widget::show_connected()
{
    if (!ui->configuration_frame->isEnabled())
        ui->configuration_frame->setEnabled(true);
    if (!connected_shown) {
        ui->status_label->setPixmap(green_pixmap);
        connected_shown = true;
    }
}

void Widget::show_disconnected()
{
    if (ui->configuration_frame->isEnabled())
        ui->configuration_frame->setEnabled(false);
    if (connected_shown) {
        ui->status_label->setPixmap(red_pixmap);
        connected_shown = false;
        device_variant = 0;
        ui->amp_version_lineEdit->setText(tr("N/A"));
    }
}

void Widget::end_with_error(const char* informative_text, int exit_code)
{
    QMessageBox box;
    box.setText(tr("Ошибка!"));
    box.setInformativeText(tr(informative_text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    QCoreApplication::exit(exit_code);
}

void Widget::system_suspending()
{
    polling_enabled = false;
    device.close_device();
}

void Widget::system_resumed()
{
    polling_enabled = true;
}

void Widget::apply_amp_variant()
{
    apply_variant_availability(ui, device_variant);
}
