#include "app/qt/TrendWindow.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/core/features/FileFeatures.h"

namespace orv::app::qt {

namespace {

const QColor kMeasuredColour(0x1f, 0x5f, 0xbf);
const QColor kAmbientColour(0xd0, 0x60, 0x20);

QString Number(double v) { return QString::number(v, 'g', 6); }

QString StatsLine(const QString& what, const std::optional<calib::TrendStats>& s, const QString& unit) {
    if (!s) return what + QStringLiteral(": no readings shown");
    return QStringLiteral("%1 (%2): min %3  max %4  mean %5  std. dev. %6  (%7 readings)")
        .arg(what, unit.isEmpty() ? QStringLiteral("-") : unit, Number(s->min), Number(s->max), Number(s->mean),
             Number(s->stddev))
        .arg(s->count);
}

}  // namespace

TrendWindow::TrendWindow(const calib::LiveReadings& live, std::function<QString()> unit, QWidget* parent)
    : QWidget(parent, Qt::Window), live_(live), unit_(std::move(unit)) {
    setWindowTitle(tr("Trend - Orvane Revuvuvi"));
    chart_ = new QChart;
    // The chart's own legend would list every run of every curve; one line
    // of our own names the two quantities.
    chart_->legend()->hide();
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis_->setTickCount(6);
    measuredAxis_ = new QValueAxis;
    measuredAxis_->setLinePenColor(kMeasuredColour);
    ambientAxis_ = new QValueAxis;
    ambientAxis_->setLinePenColor(kAmbientColour);
    ambientAxis_->setTitleText(QStringLiteral("Ambient (℃)"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(measuredAxis_, Qt::AlignLeft);
    chart_->addAxis(ambientAxis_, Qt::AlignRight);
    view_ = new QChartView(chart_);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(720, 440);

    pause_ = new QPushButton(tr("Pause"));
    pause_->setCheckable(true);
    whole_ = new QPushButton(tr("Whole Run"));
    whole_->setCheckable(true);
    record_ = new QPushButton(QString::fromUtf8(text::kRecordCsv));
    connect(pause_, &QPushButton::toggled, this, &TrendWindow::SetPaused);
    connect(whole_, &QPushButton::toggled, this, &TrendWindow::SetWholeRun);
    connect(record_, &QPushButton::clicked, this, [this] {
        if (live_.Recorder()) {
            if (onStopRecording) onStopRecording();
        } else if (onRecord) {
            onRecord();
        }
    });

    auto* legend = new QLabel(
        QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2 &nbsp;&nbsp; <span style=\"color:%3\">&#9632;</span> %4")
            .arg(kMeasuredColour.name(), tr("Measured value (left axis)"), kAmbientColour.name(),
                 tr("Ambient temperature (right axis)")));
    legend->setAlignment(Qt::AlignCenter);
    stats_ = new QLabel;
    stats_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QLabel;
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(whole_);
    buttons->addStretch();
    buttons->addWidget(record_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addWidget(legend);
    layout->addLayout(buttons);
    layout->addWidget(stats_);
    layout->addWidget(status_);
    Refresh();
}

void TrendWindow::SetPaused(bool paused) {
    if (paused && !pausedAt_) pausedAt_ = live_.Series().LastMs() ? *live_.Series().LastMs() : QDateTime::currentMSecsSinceEpoch();
    if (!paused) pausedAt_.reset();
    if (pause_->isChecked() != paused) pause_->setChecked(paused);
    Refresh();
}

void TrendWindow::SetWholeRun(bool whole) {
    if (whole_->isChecked() != whole) whole_->setChecked(whole);
    Refresh();
}

std::pair<qint64, qint64> TrendWindow::ShownRange() const {
    const auto& series = live_.Series();
    const qint64 latest = series.LastMs() ? *series.LastMs() : QDateTime::currentMSecsSinceEpoch();
    const qint64 end = pausedAt_.value_or(latest);
    if (whole_->isChecked() && !series.Empty()) return {std::min<qint64>(*series.FirstMs(), end), end};
    return {end - kSpanMs, end};
}

QString TrendWindow::StatsText() const { return stats_->text(); }
QString TrendWindow::StatusText() const { return status_->text(); }
int TrendWindow::CurveSegments() const { return segments_; }

QLineSeries* TrendWindow::Curve(int index, bool ambient) {
    auto& curves = ambient ? ambientCurves_ : measuredCurves_;
    while (static_cast<int>(curves.size()) <= index) {
        auto* series = new QLineSeries;
        series->setColor(ambient ? kAmbientColour : kMeasuredColour);
        series->setName(ambient ? tr("Ambient temperature") : tr("Measured value"));
        // A run of one reading (between two missed polls) is a dot, not nothing.
        series->setPointsVisible(true);
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(ambient ? ambientAxis_ : measuredAxis_);
        curves.push_back(series);
    }
    return curves[static_cast<std::size_t>(index)];
}

void TrendWindow::Refresh() {
    const QString unit = unit_ ? unit_() : QString();
    const auto [from, to] = ShownRange();

    // Each unbroken run is a curve of its own, so a missed poll leaves a gap
    // instead of a line across the time nobody measured. The curves are kept
    // and refilled rather than replaced every second.
    segments_ = 0;
    double lo = INFINITY, hi = -INFINITY, alo = INFINITY, ahi = -INFINITY;
    for (const auto& run : live_.Series().Runs()) {
        if (run.empty() || run.back().ms < from || run.front().ms > to) continue;
        QList<QPointF> measured, ambient;
        for (const auto& p : run) {
            if (p.ms < from || p.ms > to) continue;
            if (std::isfinite(p.measured)) {
                measured.append(QPointF(static_cast<qreal>(p.ms), p.measured));
                lo = std::min(lo, p.measured);
                hi = std::max(hi, p.measured);
            }
            if (std::isfinite(p.ambient)) {
                ambient.append(QPointF(static_cast<qreal>(p.ms), p.ambient));
                alo = std::min(alo, p.ambient);
                ahi = std::max(ahi, p.ambient);
            }
        }
        Curve(segments_, false)->replace(measured);
        Curve(segments_, true)->replace(ambient);
        ++segments_;
    }
    for (int k = segments_; k < static_cast<int>(measuredCurves_.size()); ++k) {
        measuredCurves_[static_cast<std::size_t>(k)]->clear();
        ambientCurves_[static_cast<std::size_t>(k)]->clear();
    }
    const auto pad = [](double& a, double& b) {
        if (!std::isfinite(a)) a = 0, b = 1;
        // A steady reading still gets a visible band around it.
        const double margin = b > a ? (b - a) * 0.1 : std::max(std::fabs(a) * 0.01, 0.1);
        a -= margin;
        b += margin;
    };
    pad(lo, hi);
    pad(alo, ahi);
    measuredAxis_->setRange(lo, hi);
    ambientAxis_->setRange(alo, ahi);
    measuredAxis_->setTitleText(tr("Measured value") + (unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit)));
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(std::max(to, from + 1000)));

    stats_->setText(StatsLine(tr("Measured value"), live_.Series().Stats(from, to), unit) + QLatin1Char('\n') +
                    StatsLine(tr("Ambient temperature"), live_.Series().Stats(from, to, true), QStringLiteral("℃")));

    if (const auto* rec = live_.Recorder()) {
        const QString file = QString::fromStdString(rec->File().string());
        status_->setText(rec->Error().empty()
                             ? tr("Recording to %1: %n reading(s)", nullptr, static_cast<int>(rec->Count())).arg(file)
                             : tr("Recording to %1 stopped after %2 readings: %3")
                                   .arg(file)
                                   .arg(rec->Count())
                                   .arg(QString::fromStdString(rec->Error())));
        record_->setText(QString::fromUtf8(text::kStopRecording));
    } else {
        status_->setText(tr("Not recording"));
        record_->setText(QString::fromUtf8(text::kRecordCsv));
    }
}

}  // namespace orv::app::qt
