#include "widget.h"

#include "combo_box_items.h"
#include "program_identity.h"
#include "quadron_core.h"
#include "ui_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>

Widget::Widget(QuadronCore& program, const QIcon& icon, QWidget* parent)
    : QWidget(parent), core(program), state(program.amplifier_state())
{
    setObjectName(QStringLiteral("Widget"));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setWindowIcon(icon);
    // The form's own signals while it is built and filled are not the user's.
    const AmplifierState::Updating guard(state);
    ui = new Ui::Widget;
    ui->setupUi(this);
    setWindowTitle(tr("Brenvik Quadron v.%1").arg(QLatin1String(program_identity::version)));
    fill_combo_boxes(ui);
    add_response_button();
    build_preset_row();
    setMinimumSize(minimumSizeHint());
    setMaximumSize(minimumSizeHint());
    red_pixmap.load(QStringLiteral(":/images/red-button.png"));
    green_pixmap.load(QStringLiteral(":/images/green-button.png"));
    bind_settings();
    connect(&state, &AmplifierState::changed, this, &Widget::show_state);
    connect(&core, &QuadronCore::autostart_changed, this, &Widget::show_state);
    connect(&core, &QuadronCore::presets_changed, this, &Widget::show_preset_mark);
    show_state();
}

Widget::~Widget()
{
    delete ui;
}

// Without a notification area there is no way back to a hidden window, so closing it ends
// the program as "Выход" does.
void Widget::closeEvent(QCloseEvent* event)
{
    if (!core.tray_available()) {
        event->accept();
        core.quit_slot();
        return;
    }
    core.hide_to_tray();
    event->ignore();
}

void Widget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && ui) {
        const AmplifierState::Updating guard(state);
        ui->retranslateUi(this);
        response_button->setText(tr("АЧХ…"));
        show_state();
    }
}

// Placed at the end of the row below the form, with the presets (build_preset_row).
void Widget::add_response_button()
{
    response_button = new QPushButton(this);
    response_button->setObjectName(QStringLiteral("response_pushButton"));
    response_button->setText(tr("АЧХ…"));
    connect(response_button, &QPushButton::clicked, &core, &QuadronCore::show_response);
}
