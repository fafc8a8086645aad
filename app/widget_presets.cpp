// The window's presets and its undo and redo: a row below the form, so that the form's own
// controls and layout stay as they are.
#include "quadron_core.h"
#include "ui_widget.h"
#include "widget.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <functional>

namespace {

QToolButton* tool_button(QWidget* parent, const QString& name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

const QString preset_filter = QStringLiteral("*.json");

} // namespace

void Widget::build_preset_row()
{
    auto* row = new QHBoxLayout;
    row->setObjectName(QStringLiteral("presets_layout"));
    QToolButton* presets = tool_button(this, QStringLiteral("presets_toolButton"));
    presets->setText(tr("Пресеты"));
    presets->setPopupMode(QToolButton::InstantPopup);
    presets_menu = new QMenu(presets);
    presets_menu->setObjectName(QStringLiteral("presets_menu"));
    presets->setMenu(presets_menu);
    connect(presets_menu, &QMenu::aboutToShow, this, &Widget::fill_presets_menu);
    preset_label = new QLabel(this);
    preset_label->setObjectName(QStringLiteral("preset_label"));

    undo_action = new QAction(tr("Отменить"), this);
    undo_action->setShortcut(QKeySequence::Undo);
    redo_action = new QAction(tr("Повторить"), this);
    redo_action->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addAction(undo_action);
    addAction(redo_action);
    const auto step = [this](bool back) {
        QString nothing;
        refused(back ? tr("Не отменено") : tr("Не повторено"),
                back ? core.undo(&nothing) : core.redo(&nothing));
    };
    connect(undo_action, &QAction::triggered, this, [step] { step(true); });
    connect(redo_action, &QAction::triggered, this, [step] { step(false); });
    QUndoStack& stack = core.edit_history().stack();
    connect(&stack, &QUndoStack::canUndoChanged, this, &Widget::show_preset_mark);
    connect(&stack, &QUndoStack::canRedoChanged, this, &Widget::show_preset_mark);
    QToolButton* undo = tool_button(this, QStringLiteral("undo_toolButton"));
    undo->setDefaultAction(undo_action);
    QToolButton* redo = tool_button(this, QStringLiteral("redo_toolButton"));
    redo->setDefaultAction(redo_action);

    row->addWidget(presets);
    row->addWidget(preset_label, 1);
    row->addWidget(undo);
    row->addWidget(redo);
    row->addWidget(response_button);
    ui->verticalLayout_20->addLayout(row);
}

// Which preset the settings shown equal, or that they are saved in none; undo and redo while
// there is something to undo and an amplifier to undo it on.
void Widget::show_preset_mark()
{
    if (!preset_label)
        return;
    const bool connected = core.connected();
    const QString name = core.matching_preset();
    preset_label->setText(!connected       ? QString()
                          : name.isEmpty() ? tr("Несохранённые изменения")
                                           : tr("Пресет: %1").arg(name));
    QUndoStack& stack = core.edit_history().stack();
    undo_action->setEnabled(connected && stack.canUndo());
    redo_action->setEnabled(connected && stack.canRedo());
}

void Widget::fill_presets_menu()
{
    presets_menu->clear();
    const QStringList names = core.preset_names();
    const bool connected = core.connected();
    for (const QString& name : names) {
        QAction* apply = presets_menu->addAction(name);
        apply->setEnabled(connected);
        connect(apply, &QAction::triggered, this, [this, name] {
            QString skipped;
            if (!refused(tr("Пресет не применён"), core.apply_preset(name, &skipped)) &&
                !skipped.isEmpty())
                QMessageBox::information(this, tr("Пресет применён не полностью"), skipped);
        });
    }
    if (names.isEmpty())
        presets_menu->addAction(tr("Нет пресетов"))->setEnabled(false);
    presets_menu->addSeparator();
    QAction* save_as = presets_menu->addAction(tr("Сохранить как…"), this, &Widget::save_preset_as);
    save_as->setEnabled(connected);
    const auto per_preset = [&](const QString& title, bool needs_amplifier,
                                const std::function<void(const QString&)>& act) {
        QMenu* menu = presets_menu->addMenu(title);
        menu->setEnabled(!names.isEmpty() && (connected || !needs_amplifier));
        for (const QString& name : names)
            connect(menu->addAction(name), &QAction::triggered, this, [act, name] { act(name); });
    };
    per_preset(tr("Перезаписать"), true, [this](const QString& name) {
        refused(tr("Пресет не сохранён"), core.save_preset(name));
    });
    per_preset(tr("Переименовать…"), false, [this](const QString& name) { rename_preset(name); });
    per_preset(tr("Удалить…"), false, [this](const QString& name) { remove_preset(name); });
    per_preset(tr("Экспорт…"), false, [this](const QString& name) { export_preset(name); });
    presets_menu->addAction(tr("Импорт…"), this, &Widget::import_preset);
}

void Widget::save_preset_as()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Сохранить пресет"), tr("Название:"),
                                               QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    if (core.preset_names().contains(name) &&
        QMessageBox::question(this, tr("Сохранить пресет"),
                              tr("Пресет «%1» уже есть. Заменить его?").arg(name)) !=
            QMessageBox::Yes)
        return;
    refused(tr("Пресет не сохранён"), core.save_preset(name));
}

void Widget::rename_preset(const QString& name)
{
    bool ok = false;
    const QString new_name =
        QInputDialog::getText(this, tr("Переименовать пресет"), tr("Новое название:"),
                              QLineEdit::Normal, name, &ok)
            .trimmed();
    if (ok && !new_name.isEmpty())
        refused(tr("Пресет не переименован"), core.rename_preset(name, new_name));
}

void Widget::remove_preset(const QString& name)
{
    if (QMessageBox::question(this, tr("Удалить пресет"), tr("Удалить пресет «%1»?").arg(name)) ==
        QMessageBox::Yes)
        refused(tr("Пресет не удалён"), core.remove_preset(name));
}

void Widget::export_preset(const QString& name)
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Экспорт пресета"), QDir::home().filePath(name + QStringLiteral(".json")),
        tr("Пресеты (%1)").arg(preset_filter));
    if (!path.isEmpty())
        refused(tr("Пресет не экспортирован"), core.export_preset(name, path));
}

void Widget::import_preset()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Импорт пресета"), QDir::homePath(),
                                                      tr("Пресеты (%1)").arg(preset_filter));
    QString imported;
    if (!path.isEmpty())
        refused(tr("Пресет не импортирован"), core.import_preset(path, {}, &imported));
}

bool Widget::refused(const QString& title, const SettingRefusal& refusal)
{
    if (!refusal)
        return false;
    QMessageBox::warning(this, title, refusal.message);
    return true;
}
