#include "app/qt/TrendWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/core/features/FileFeatures.h"
#include "app/core/features/TrendTexts.h"
#include "app/qt/TrendPainter.h"

namespace orv::app::qt {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::filesystem::path ToPath(const QString& file) { return std::filesystem::path(file.toStdU16String()); }

}  // namespace

// The plots: paints the view's scene and hands it the mouse.
class TrendCanvas : public QWidget {
public:
    TrendCanvas(calib::TrendView& view, std::function<calib::DialogContext()> dialog, std::function<void()> zoomed,
                QWidget* parent)
        : QWidget(parent), view_(view), dialog_(std::move(dialog)), zoomed_(std::move(zoomed)) {
        setMouseTracking(true);
        setMinimumSize(480, 300);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QSize sizeHint() const override { return {860, 480}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        view_.Build(width(), height(), TrendTextMetrics(painter.fontMetrics()), dialog_ ? dialog_() : calib::DialogContext{});
        PaintTrendScene(painter, view_.Last(), view_.DragRect());
    }
    void wheelEvent(QWheelEvent* e) override {
        const int notches = e->angleDelta().y() / 120;
        if (view_.Wheel(e->position().toPoint().x(), notches)) Changed();
        e->accept();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && view_.Press(e->position().toPoint().x(), e->position().toPoint().y())) update();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (view_.Move(e->position().toPoint().x(), e->position().toPoint().y())) update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && view_.Release(e->position().toPoint().x(), e->position().toPoint().y()))
            Changed();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && view_.DoubleClick()) Changed();
    }
    void leaveEvent(QEvent*) override {
        if (view_.Leave()) update();
    }

private:
    void Changed() {
        if (zoomed_) zoomed_();
        update();
    }

    calib::TrendView& view_;
    std::function<calib::DialogContext()> dialog_;
    std::function<void()> zoomed_;
};

TrendWindow::TrendWindow(const calib::LiveReadings& live, std::function<calib::DialogContext()> dialog, QWidget* parent)
    : QWidget(parent, Qt::Window), live_(live), dialog_(std::move(dialog)), view_(live.Series()) {
    setWindowTitle(QString::fromUtf8(text::kTrendCaption));
    canvas_ = new TrendCanvas(view_, dialog_, [this] { Refresh(); }, this);

    span_ = new QComboBox;
    for (const char* span : text::kSpans) span_->addItem(QString::fromUtf8(span));
    span_->setCurrentIndex(static_cast<int>(view_.Viewport().Span()));
    pause_ = new QPushButton(QString::fromUtf8(text::kPause));
    pause_->setCheckable(true);
    follow_ = new QPushButton(QString::fromUtf8(text::kFollow));
    output_ = new QCheckBox(QString::fromUtf8(text::kShowOutput));
    open_ = new QPushButton(QString::fromUtf8(text::kOpenRecording));
    liveButton_ = new QPushButton(QString::fromUtf8(text::kLiveReadings));
    save_ = new QPushButton(QString::fromUtf8(text::kSaveImage));
    record_ = new QPushButton(QString::fromUtf8(text::kRecordCsv));

    connect(span_, &QComboBox::activated, this, [this](int index) {
        view_.Viewport().SetSpan(static_cast<calib::TrendSpan>(index));
        view_.Viewport().Follow();
        Refresh();
    });
    connect(pause_, &QPushButton::toggled, this, &TrendWindow::SetPaused);
    connect(follow_, &QPushButton::clicked, this, [this] {
        view_.DoubleClick();
        Refresh();
    });
    connect(output_, &QCheckBox::toggled, this, [this](bool on) {
        view_.SetShowOutput(on);
        Refresh();
    });
    connect(open_, &QPushButton::clicked, this, &TrendWindow::OpenRecording);
    connect(liveButton_, &QPushButton::clicked, this, [this] {
        view_.ShowLive();
        Refresh();
    });
    connect(save_, &QPushButton::clicked, this, &TrendWindow::SaveImage);
    connect(record_, &QPushButton::clicked, this, [this] {
        if (live_.Recorder()) {
            if (onStopRecording) onStopRecording();
        } else if (onRecord) {
            onRecord();
        }
    });

    stats_ = new QLabel;
    stats_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QLabel;
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setWordWrap(true);

    auto* controls = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{span_, pause_, follow_, output_}) controls->addWidget(w);
    controls->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{open_, liveButton_, save_, record_}) controls->addWidget(w);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(canvas_, 1);
    layout->addWidget(stats_);
    layout->addWidget(status_);
    Refresh();
}

TrendWindow::~TrendWindow() = default;

QWidget* TrendWindow::Canvas() const { return canvas_; }

void TrendWindow::SetPaused(bool paused) {
    view_.SetPaused(paused, dialog_ ? dialog_().nowMs : 0);
    if (pause_->isChecked() != paused) pause_->setChecked(paused);
    Refresh();
}

void TrendWindow::Refresh() {
    const calib::DialogContext context = dialog_ ? dialog_() : calib::DialogContext{};
    stats_->setText(FromUtf8(TrendStatsText(view_, context.nowMs, context.measuredUnit, context.ambientUnit)));
    status_->setText(FromUtf8(TrendStatusText(live_, view_, shownFile_)));
    record_->setText(QString::fromUtf8(RecordItemText(live_)));
    liveButton_->setVisible(view_.ShownRecording() != nullptr);
    follow_->setEnabled(view_.Viewport().Zoomed());
    canvas_->update();
}

QString TrendWindow::StatsText() const { return stats_->text(); }
QString TrendWindow::StatusText() const { return status_->text(); }

QString TrendWindow::OpenRecordingFrom(const QString& file) {
    std::optional<calib::Recording> recording;
    if (const std::string error = app::OpenRecordingFrom(ToPath(file), recording); !error.empty()) return FromUtf8(error);
    shownFile_ = ToPath(file);
    view_.ShowRecording(std::move(*recording));
    pause_->setChecked(false);
    Refresh();
    return {};
}

QString TrendWindow::SaveImageTo(const QString& file) {
    // Through a save file, so that a full disk shows at commit instead of
    // leaving a cut-off PNG behind a success.
    QSaveFile out(file);
    QString error;
    if (out.open(QIODevice::WriteOnly)) {
        QImageWriter writer(&out, "png");
        if (!writer.write(canvas_->grab().toImage())) {
            error = writer.errorString();
            out.cancelWriting();
        } else if (!out.commit()) {
            error = out.errorString();
        }
    } else {
        error = out.errorString();
    }
    return error.isEmpty() ? QString() : FromUtf8(SaveImageFailedText(ToPath(file), error.toStdString()));
}

void TrendWindow::OpenRecording() {
    if (!askForFile) return;
    const QString file = askForFile(this, false, QString::fromUtf8(text::kOpenRecordingCaption),
                                    QString::fromUtf8(text::kCsvFiles) + ";;" + QString::fromUtf8(text::kAllFiles), "csv");
    if (file.isEmpty()) return;
    if (const QString error = OpenRecordingFrom(file); !error.isEmpty() && complain) complain(error);
}

void TrendWindow::SaveImage() {
    if (!askForFile) return;
    const QString file =
        askForFile(this, true, QString::fromUtf8(text::kSaveImageCaption), QString::fromUtf8(text::kPngFiles), "png");
    if (file.isEmpty()) return;
    if (const QString error = SaveImageTo(file); !error.isEmpty() && complain) complain(error);
}

}  // namespace orv::app::qt
