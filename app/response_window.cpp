#include "response_window.h"

#include "amp_settings.h"
#include "quadron_core.h"
#include "tone_response.h"

#include <QEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

Q_LOGGING_CATEGORY(curve_log, "quadron.curve", QtInfoMsg)

namespace {

using response_curve::high_hz;
using response_curve::low_hz;

// Enough points that the narrowest band (Q 2 at 60 Hz) is drawn smooth at any window width.
constexpr int curve_points = 500;
constexpr double grid_step_db = 6;
constexpr double frequency_lines[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

const QColor band_colours[] = {QColor(0xc8, 0x3c, 0x32), QColor(0x2e, 0x8b, 0x3a),
                               QColor(0x2f, 0x62, 0xc8)};
const QColor sub_colour(0x8a, 0x3f, 0xb0);

QString hz_text(double hz)
{
    return hz >= 1000 ? QString::number(hz / 1000) + QStringLiteral("k") : QString::number(hz);
}

const char* const band_names[] = {QT_TRANSLATE_NOOP("ResponsePlot", "Бас"),
                                  QT_TRANSLATE_NOOP("ResponsePlot", "Середина"),
                                  QT_TRANSLATE_NOOP("ResponsePlot", "Верх")};

} // namespace

ResponsePlot::ResponsePlot(QuadronCore& program, QWidget* parent)
    : QWidget(parent),
      core(program), bands{{find_amp_setting(QStringLiteral("bass_gain")),
                            find_amp_setting(QStringLiteral("bass_cf")),
                            find_amp_setting(QStringLiteral("bass_qf"))},
                           {find_amp_setting(QStringLiteral("middle_gain")),
                            find_amp_setting(QStringLiteral("middle_cf")),
                            find_amp_setting(QStringLiteral("middle_qf"))},
                           {find_amp_setting(QStringLiteral("treble_gain")),
                            find_amp_setting(QStringLiteral("treble_cf")), nullptr}}
{
    setObjectName(QStringLiteral("response_plot"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Every change from any source is drawn at once: a control, a hot key, a script, a read.
    connect(&core, &QuadronCore::values_changed, this, [this] { update(); });
}

const ResponsePlot::BandSettings& ResponsePlot::band_settings(Handle handle) const
{
    return bands[static_cast<int>(handle)];
}

int ResponsePlot::value_of(const AmpSetting* setting) const
{
    if (dragged != Handle::none) {
        const BandSettings& band = band_settings(dragged);
        if (setting == band.gain)
            return dragged_gain;
        if (setting == band.centre)
            return dragged_centre;
    }
    return setting->read(core.amplifier_state().controls());
}

response_curve::ToneSection ResponsePlot::section() const
{
    AmplifierState::Controls controls = core.amplifier_state().controls();
    if (dragged != Handle::none) {
        // The drag is shown before it is handed over: a copy of the controls carries it.
        const ToneBand tone = dragged == Handle::bass     ? ToneBand::Bass
                              : dragged == Handle::middle ? ToneBand::Middle
                                                          : ToneBand::Treble;
        const IndexField centre = dragged == Handle::bass     ? IndexField::bass_cf
                                  : dragged == Handle::middle ? IndexField::middle_cf
                                                              : IndexField::treble_cf;
        controls.tone_db[slot(tone)] = dragged_gain;
        controls.index[slot(centre)] = dragged_centre;
    }
    return tone_section_of(controls, core.amplifier_state().display().availability_variant);
}

QRectF ResponsePlot::plot_area() const
{
    const QFontMetrics metrics = fontMetrics();
    const double left = metrics.horizontalAdvance(QStringLiteral("-18 dB")) + 10;
    const double bottom = metrics.height() + 8;
    return QRectF(left, 8, width() - left - 12, height() - 8 - bottom);
}

QPointF ResponsePlot::position_of(double hz, double db) const
{
    const QRectF area = plot_area();
    const double x = std::log(hz / low_hz) / std::log(high_hz / low_hz);
    const double y = (top_db - db) / (2 * top_db);
    return {area.left() + x * area.width(), area.top() + y * area.height()};
}

double ResponsePlot::hz_at(double x) const
{
    const QRectF area = plot_area();
    return low_hz * std::pow(high_hz / low_hz, (x - area.left()) / area.width());
}

double ResponsePlot::db_at(double y) const
{
    const QRectF area = plot_area();
    return top_db - (y - area.top()) / area.height() * 2 * top_db;
}

QPointF ResponsePlot::handle_position(Handle handle) const
{
    if (handle == Handle::none)
        return {};
    const BandSettings& band = band_settings(handle);
    const AmpSetting::Item* centre = band.centre->item_with_value(value_of(band.centre));
    const double hz = centre ? QByteArray(centre->text).toDouble() : low_hz;
    return position_of(hz, value_of(band.gain));
}

ResponsePlot::Handle ResponsePlot::handle_at(const QPointF& point, double within) const
{
    Handle nearest = Handle::none;
    double best = within;
    for (const Handle handle : {Handle::bass, Handle::middle, Handle::treble}) {
        const QPointF d = handle_position(handle) - point;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= best) {
            best = distance;
            nearest = handle;
        }
    }
    return nearest;
}

// The bands can be changed only while an amplifier is in step, as the window's controls.
bool ResponsePlot::editable() const
{
    return isEnabled() && core.connected();
}

void ResponsePlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QRectF area = plot_area();
    const QColor text = palette().color(QPalette::Text);
    QColor grid = text;
    grid.setAlpha(40);

    painter.setPen(QPen(grid, 1));
    for (double db = -top_db; db <= top_db; db += grid_step_db) {
        const double y = position_of(low_hz, db).y();
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    for (const double hz : frequency_lines) {
        const double x = position_of(hz, 0).x();
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter.setPen(text);
    const QFontMetrics metrics = fontMetrics();
    for (double db = -top_db; db <= top_db; db += grid_step_db) {
        const QString label = tr("%1 дБ").arg(db, 0, 'f', 0);
        const double y = position_of(low_hz, db).y();
        painter.drawText(QRectF(0, y - metrics.height() / 2.0, area.left() - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    for (const double hz : frequency_lines) {
        const double x = position_of(hz, 0).x();
        const QString label = hz == high_hz ? tr("%1 Гц").arg(hz_text(hz)) : hz_text(hz);
        const double w = metrics.horizontalAdvance(label) + 4;
        painter.drawText(
            QRectF(std::min(x - w / 2, width() - w), area.bottom() + 4, w, metrics.height()),
            Qt::AlignCenter, label);
    }

    const response_curve::ToneSection tone = section();
    const std::vector<response_curve::Point> points =
        response_curve::response(tone, response_curve::log_spaced(low_hz, high_hz, curve_points));
    const auto path_of = [&](double response_curve::Point::*db) {
        QPainterPath path;
        for (const response_curve::Point& p : points) {
            const QPointF at = position_of(p.f_hz, p.*db);
            path.elementCount() == 0 ? path.moveTo(at) : path.lineTo(at);
        }
        return path;
    };
    painter.setClipRect(area);
    const bool enabled = isEnabled();
    const auto pen = [&](QColor colour, double w, int alpha, Qt::PenStyle style = Qt::SolidLine) {
        if (!enabled)
            colour = palette().color(QPalette::Disabled, QPalette::Text);
        colour.setAlpha(alpha);
        return QPen(colour, w, style, Qt::RoundCap, Qt::RoundJoin);
    };
    double response_curve::Point::*const band_fields[] = {&response_curve::Point::bass_db,
                                                          &response_curve::Point::middle_db,
                                                          &response_curve::Point::treble_db};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(pen(band_colours[i], 2, 170));
        painter.drawPath(path_of(band_fields[i]));
    }
    if (tone.has_sub_low_pass) {
        painter.setPen(pen(sub_colour, 2, 200, Qt::DashLine));
        painter.drawPath(path_of(&response_curve::Point::sub_db));
    }
    painter.setPen(pen(text, 3, 255));
    painter.drawPath(path_of(&response_curve::Point::sum_db));
    painter.setClipping(false);

    // The handles, with what each band is set to.
    const bool can_edit = editable();
    for (const Handle handle : {Handle::bass, Handle::middle, Handle::treble}) {
        const int i = static_cast<int>(handle);
        const BandSettings& band = band_settings(handle);
        const QPointF at = handle_position(handle);
        QColor fill =
            can_edit ? band_colours[i] : palette().color(QPalette::Disabled, QPalette::Text);
        painter.setPen(QPen(palette().color(QPalette::Base), 2));
        painter.setBrush(fill);
        painter.drawEllipse(at, handle_radius, handle_radius);
        QString label = tr(band_names[i]) + QLatin1Char(' ') +
                        tr("%1 Гц, %2 дБ")
                            .arg(band.centre->text(value_of(band.centre)))
                            .arg(value_of(band.gain));
        if (band.quality)
            label += tr(", Q %1").arg(band.quality->text(value_of(band.quality)));
        const double w = metrics.horizontalAdvance(label) + 6;
        const double above = at.y() - handle_radius - metrics.height() - 2;
        const double y = above < area.top() ? at.y() + handle_radius + 2 : above;
        const double x = std::clamp(at.x() - w / 2, area.left(), area.right() - w);
        painter.setPen(enabled ? band_colours[i].darker(130)
                               : palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(QRectF(x, y, w, metrics.height()), Qt::AlignCenter, label);
    }

    // What the subwoofer's curve is, or why there is none.
    QString sub_label;
    const int variant = core.amplifier_state().display().availability_variant;
    const AmpSetting* cut_off = find_amp_setting(QStringLiteral("sub_cut_off"));
    if (variant != 0 && !cut_off->available_on(variant))
        sub_label = tr("Сабвуфер: нет у этого усилителя");
    else if (!tone.has_sub_low_pass)
        sub_label = tr("Сабвуфер: без фильтра");
    else
        sub_label = tr("Сабвуфер: ФНЧ %1 Гц").arg(tone.sub_low_pass.f0_hz);
    painter.setPen(tone.has_sub_low_pass && enabled
                       ? sub_colour
                       : palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(area.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignBottom, sub_label);
}

void ResponsePlot::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !editable())
        return;
    dragged = handle_at(event->position(), grab_radius);
    if (dragged == Handle::none)
        return;
    const BandSettings& band = band_settings(dragged);
    dragged_gain = band.gain->read(core.amplifier_state().controls());
    dragged_centre = band.centre->read(core.amplifier_state().controls());
    update();
}

// The pointer's frequency and gain, snapped to the band's centre frequencies and gain steps.
void ResponsePlot::drag_to(const QPointF& point)
{
    const BandSettings& band = band_settings(dragged);
    const double hz = hz_at(point.x());
    double nearest = INFINITY;
    const int variant = core.amplifier_state().display().availability_variant;
    for (const AmpSetting::Item& item : band.centre->items) {
        const double distance = std::abs(std::log(QByteArray(item.text).toDouble() / hz));
        if (distance < nearest && (variant == 0 || band.centre->item_available_on(item, variant))) {
            nearest = distance;
            dragged_centre = item.value;
        }
    }
    dragged_gain = std::clamp(int(std::lround(db_at(point.y()))), band.gain->min, band.gain->max);
    update();
}

void ResponsePlot::mouseMoveEvent(QMouseEvent* event)
{
    if (dragged != Handle::none) {
        drag_to(event->position());
        return;
    }
    const bool over = editable() && handle_at(event->position(), grab_radius) != Handle::none;
    setCursor(over ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

// The drag reaches the amplifier as one edit: the gain and the frequency together.
void ResponsePlot::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragged == Handle::none || event->button() != Qt::LeftButton)
        return;
    drag_to(event->position());
    const BandSettings& band = band_settings(dragged);
    const std::vector<SettingChange> changes{{band.gain, dragged_gain},
                                             {band.centre, dragged_centre}};
    dragged = Handle::none;
    // The amplifier can go between the press and the release; the handle then goes back.
    if (const SettingRefusal refusal = core.change_settings(changes))
        qCInfo(curve_log) << "The drag changed nothing:" << refusal.message;
    update();
}

void ResponsePlot::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    const Handle handle = handle_at(event->position(), INFINITY);
    if (steps == 0 || handle == Handle::none || !editable() || dragged != Handle::none)
        return;
    const AmpSetting* quality = band_settings(handle).quality;
    if (!quality)
        return; // the shelf's slope is fixed
    const int count = int(quality->items.size());
    const int now = quality->read(core.amplifier_state().controls());
    const int next = std::clamp(now + steps, 0, count - 1);
    if (next != now)
        if (const SettingRefusal refusal =
                core.change_settings({{quality, quality->items[std::size_t(next)].value}}))
            qCInfo(curve_log) << "The wheel changed nothing:" << refusal.message;
    event->accept();
}

ResponseWindow::ResponseWindow(QuadronCore& core, const QIcon& icon)
{
    setObjectName(QStringLiteral("ResponseWindow"));
    setWindowIcon(icon);
    auto* layout = new QVBoxLayout(this);
    note = new QLabel(this);
    note->setObjectName(QStringLiteral("response_note"));
    note->setWordWrap(true);
    response_plot = new ResponsePlot(core, this);
    layout->addWidget(note);
    layout->addWidget(response_plot, 1);
    retranslate();
    // A car computer's screen is often 800x480: the window fits it with its frame.
    resize(760, 420);
}

void ResponseWindow::retranslate()
{
    setWindowTitle(tr("Brenvik Quadron: частотная характеристика"));
    note->setText(tr("Номинальная характеристика по настройкам эквалайзера, а не измерение. "
                     "Перетащите точку полосы, чтобы изменить её частоту и усиление; колесо "
                     "мыши меняет добротность (Q)."));
}

void ResponseWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}
