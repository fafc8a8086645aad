#include "widget.h"

#include "combo_box_items.h"
#include "ui_widget.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {
// How long a desktop gets to bring up its notification area before the window shows itself.
constexpr int tray_grace_ms = 3000;
} // namespace

Widget::Widget(QWidget* parent) : Widget(PlatformServices::system(), parent) {}

Widget::Widget(PlatformServices services, QWidget* parent)
    : QWidget(parent), link(std::make_unique<AmplifierLink>(std::move(services.hid))),
      hot_keys(std::move(services.hot_keys)), sleep_notifier(std::move(services.sleep)),
      settings_path(std::move(services.settings_path)),
      executable_path(std::move(services.executable_path)),
      autostart_file_name(std::move(services.autostart_file_name))
{
    setObjectName(QStringLiteral("Widget"));
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
    connect_link();
    if (services.link_on_own_thread)
        link->start();

    QTimer::singleShot(tray_grace_ms, this, &Widget::check_tray_available);
}

Widget::~Widget()
{
    // The link ends first: nothing reaches the amplifier once the end has begun, and the
    // settings are written after its last transaction.
    link->stop();
    delete ui;
    save_settings();
}

// Everything between the link's thread and this one is queued, so the link never waits for
// the window and the window never waits for the amplifier.
void Widget::connect_link()
{
    connect(link.get(), &AmplifierLink::image_read, &state, &AmplifierState::apply_read_image,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::state_changed, &state, &AmplifierState::set_link_state,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::problem_changed, &state, &AmplifierState::set_link_problem,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::unusable, this, &Widget::amplifier_unusable,
            Qt::QueuedConnection);
    connect(&state, &AmplifierState::image_changed, link.get(), &AmplifierLink::set_image,
            Qt::QueuedConnection);
    connect(&state, &AmplifierState::changed, this, &Widget::show_state);
    connect(sleep_notifier.get(), &SleepNotifier::suspending, link.get(), &AmplifierLink::suspend,
            Qt::QueuedConnection);
    connect(sleep_notifier.get(), &SleepNotifier::resumed, link.get(), &AmplifierLink::resume,
            Qt::QueuedConnection);
    connect(link.get(), &AmplifierLink::suspended, sleep_notifier.get(),
            &SleepNotifier::allow_sleep, Qt::QueuedConnection);
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

// The form costs memory and start-up time that a program living in the tray rarely needs:
// it is built the first time the window is shown and kept from then on.
void Widget::build_form()
{
    if (ui)
        return;
    // The form's own signals while it is built and filled are not the user's.
    const AmplifierState::Updating guard(state);
    ui = new Ui::Widget;
    ui->setupUi(this);
    setWindowTitle(tr("Brenvik Quadron v.1.03"));
    fill_combo_boxes(ui);
    setMinimumSize(minimumSizeHint());
    setMaximumSize(minimumSizeHint());
    red_pixmap.load(QStringLiteral(":/images/red-button.png"));
    green_pixmap.load(QStringLiteral(":/images/green-button.png"));
    show_state();
}

void Widget::show_window()
{
    build_form();
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
    link->halt();
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

QString Widget::answer(const QString& message)
{
    if (message == QLatin1String("--status"))
        return status_report();
    if (message == QLatin1String("--show")) {
        show_window();
        return {};
    }
    const std::pair<const char*, int> actions[] = {
        {"--volume-up", AmplifierState::HOTKEY_VOLUME_UP},
        {"--volume-down", AmplifierState::HOTKEY_VOLUME_DOWN},
        {"--subwoofer-up", AmplifierState::HOTKEY_SUB_UP},
        {"--subwoofer-down", AmplifierState::HOTKEY_SUB_DOWN},
    };
    for (const auto& [name, id] : actions) {
        if (message == QLatin1String(name)) {
            state.on_hot_key(id);
            return {};
        }
    }
    message_arrived(message);
    return {};
}

// For scripts and for troubleshooting: one "key: value" line each, in English.
QString Widget::status_report() const
{
    const AmplifierState::Controls& shown = state.controls();
    const auto level = [&](LevelChannel channel) {
        return QString::number(shown.level_db[static_cast<std::size_t>(channel)]);
    };
    const auto yes_no = [](bool yes) { return yes ? QStringLiteral("yes") : QStringLiteral("no"); };
    const char* version = state.display().version;
    const bool muted = shown.level_muted[static_cast<std::size_t>(LevelChannel::Volume)] ||
                       shown.soft_mute || shown.hard_mute;
    static const char* const problems[] = {
        "none", "no amplifier found", "no permission to open the amplifier",
        "the amplifier cannot be opened", "the amplifier does not answer"};
    QString problem = QString::fromLatin1(problems[static_cast<int>(state.display().problem)]);
    if (!state.display().problem_detail.isEmpty())
        problem += QStringLiteral(" (") + state.display().problem_detail + QLatin1Char(')');
    return QStringLiteral("connected: %1\nvariant: %2\nvolume_db: %3\nsubwoofer_db: %4\n"
                          "muted: %5\nproblem: %6\nhot_keys: %7\n")
        .arg(yes_no(state.link_state() == LinkState::synchronising),
             version ? QString::fromLatin1(version) : QStringLiteral("none"),
             level(LevelChannel::Volume), level(LevelChannel::Sub), yes_no(muted), problem,
             hot_keys->status());
}

// Without a notification area there is no way back to a hidden window, so closing it ends
// the program as "Выход" does.
void Widget::closeEvent(QCloseEvent* event)
{
    if (quit_requested || !QSystemTrayIcon::isSystemTrayAvailable()) {
        event->accept();
        link->halt();
        QCoreApplication::exit(0);
        return;
    }
    hide_to_tray();
    event->ignore();
}

void Widget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && ui) {
        const AmplifierState::Updating guard(state);
        ui->retranslateUi(this);
        show_state();
    }
}

void Widget::check_tray_available()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() && isHidden())
        show_window();
}

void Widget::amplifier_unusable(int exit_code)
{
    end_with_error(exit_code == 1 ? QT_TR_NOOP("Не удалось опознать устройство!")
                                  : QT_TR_NOOP("Неверная версия устройства!"),
                   exit_code);
}

void Widget::end_with_error(const char* informative_text, int exit_code)
{
    if (quit_requested)
        return;
    // Nothing more is said to an amplifier that cannot be used, nor is it looked for again
    // while the box waits.
    link->halt();
    QMessageBox box;
    box.setText(tr("Ошибка!"));
    box.setInformativeText(tr(informative_text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (quit_requested)
        return; // "Выход" while the box was up ends the program as usual
    QCoreApplication::exit(exit_code);
}
