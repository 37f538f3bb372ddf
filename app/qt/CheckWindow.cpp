#include "app/qt/CheckWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/core/features/FileFeatures.h"
#include "app/core/features/PrintedPages.h"
#include "app/qt/Certificate.h"

namespace orv::app::qt {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToUtf8(const QString& s) { return s.toUtf8().toStdString(); }
std::filesystem::path ToPath(const QString& file) { return std::filesystem::path(file.toStdU16String()); }
QColor ColourOf(Shade shade) {
    const Rgb c = ShadeColour(shade);
    return QColor(c.r, c.g, c.b);
}

QPushButton* Button(const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLabel* Label(const char* name) {
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

CheckWindow::CheckWindow(CheckWindowModel& model, QWidget* parent) : QWidget(parent, Qt::Window), model_(model) {
    setWindowTitle(QString::fromUtf8(text::kCheckCaption));

    // The set-up: two columns of labelled fields, the points across both.
    static constexpr const char* kFieldNames[kFormFields] = {"points",          "tolerance", "readings",
                                                             "settleTime",      "referenceName",
                                                             "referenceSerial", "referenceDue",
                                                             "technician",      "tag",
                                                             "location"};
    auto* setup = new QGroupBox(QString::fromUtf8(text::kCheckSetupGroup));
    auto* form = new QGridLayout(setup);
    for (std::size_t k = 0; k < kFormFields; ++k) {
        fields_[k] = new QLineEdit;
        fields_[k]->setObjectName(QString::fromLatin1(kFieldNames[k]));
        connect(fields_[k], &QLineEdit::textEdited, this, &CheckWindow::Edited);
    }
    downwards_ = new QCheckBox(QString::fromUtf8(text::kDownwards));
    downwards_->setObjectName(QStringLiteral("downwards"));
    connect(downwards_, &QCheckBox::clicked, this, &CheckWindow::Edited);
    const auto place = [&](FormField f, int row, int column, int span = 1) {
        const auto k = static_cast<std::size_t>(f);
        form->addWidget(new QLabel(QString::fromUtf8(kFormLabels[k])), row, column);
        form->addWidget(fields_[k], row, column + 1, 1, span);
    };
    place(FormField::Points, 0, 0);
    form->addWidget(downwards_, 0, 2, 1, 2);
    place(FormField::Tolerance, 1, 0);
    place(FormField::Readings, 1, 2);
    place(FormField::SettleTime, 2, 0);
    place(FormField::ReferenceDue, 2, 2);
    place(FormField::ReferenceName, 3, 0);
    place(FormField::ReferenceSerial, 3, 2);
    place(FormField::Technician, 4, 0);
    place(FormField::Tag, 4, 2);
    place(FormField::Location, 5, 0, 3);
    problems_ = Label("problems");
    problems_->setWordWrap(true);
    problems_->setStyleSheet(QStringLiteral("color: #c80000"));
    form->addWidget(problems_, 6, 0, 1, 4);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    asFound_ = Button(text::kAsFound, "asFound");
    asLeft_ = Button(text::kAsLeft, "asLeft");
    newCheck_ = Button(text::kNewCheck, "newCheck");
    open_ = Button(text::kOpenRecord, "openRecord");
    save_ = Button(text::kSaveRecord, "saveRecord");
    certificate_ = Button(text::kPrintCertificate, "printCertificate");
    connect(asFound_, &QPushButton::clicked, this, [this] { model_.Start(calib::RunKind::AsFound); });
    connect(asLeft_, &QPushButton::clicked, this, [this] { model_.Start(calib::RunKind::AsLeft); });
    connect(newCheck_, &QPushButton::clicked, this, [this] { model_.NewCheck(); });
    connect(open_, &QPushButton::clicked, this, &CheckWindow::OpenRecord);
    connect(save_, &QPushButton::clicked, this, &CheckWindow::SaveRecord);
    connect(certificate_, &QPushButton::clicked, this, &CheckWindow::PrintCertificate);
    auto* runs = new QHBoxLayout;
    runs->addWidget(asFound_);
    runs->addWidget(asLeft_);
    runs->addStretch();
    for (QWidget* w : {static_cast<QWidget*>(newCheck_), static_cast<QWidget*>(open_), static_cast<QWidget*>(save_),
                       static_cast<QWidget*>(certificate_)})
        runs->addWidget(w);

    // The point: what to apply, what the device reads, and the reference to accept.
    auto* pointBox = new QGroupBox(QString::fromUtf8(text::kCheckPointGroup));
    auto* point = new QGridLayout(pointBox);
    heading_ = Label("heading");
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    apply_ = Label("apply");
    apply_->setFont(bold);
    measured_ = Label("measured");
    measured_->setFont(bold);
    state_ = Label("state");
    referenceLabel_ = new QLabel;
    reference_ = new QLineEdit;
    reference_->setObjectName(QStringLiteral("reference"));
    meter_ = new QLineEdit;
    meter_->setObjectName(QStringLiteral("meter"));
    accept_ = Button(text::kAccept, "accept");
    cutShort_ = Button(text::kCutShort, "cutShort");
    abort_ = Button(text::kAbort, "abort");
    const auto accept = [this] {
        if (accept_->isEnabled()) model_.Accept(ToUtf8(reference_->text()), ToUtf8(meter_->text()));
    };
    connect(accept_, &QPushButton::clicked, this, accept);
    connect(reference_, &QLineEdit::returnPressed, this, accept);
    connect(meter_, &QLineEdit::returnPressed, this, accept);
    connect(cutShort_, &QPushButton::clicked, this, [this] { model_.CutShort(); });
    connect(abort_, &QPushButton::clicked, this, [this] { model_.Abort(); });
    point->addWidget(heading_, 0, 0, 1, 6);
    point->addWidget(new QLabel(QString::fromUtf8(text::kApplyLabel)), 1, 0);
    point->addWidget(apply_, 1, 1);
    point->addWidget(new QLabel(QString::fromUtf8(text::kMeasuredLabel)), 1, 2);
    point->addWidget(measured_, 1, 3);
    point->addWidget(state_, 1, 4, 1, 2);
    point->addWidget(referenceLabel_, 2, 0);
    point->addWidget(reference_, 2, 1);
    point->addWidget(new QLabel(QString::fromUtf8(text::kMeterLabel)), 2, 2);
    point->addWidget(meter_, 2, 3);
    auto* actions = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(accept_), static_cast<QWidget*>(cutShort_), static_cast<QWidget*>(abort_)})
        actions->addWidget(w);
    point->addLayout(actions, 2, 4, 1, 2);
    point->setColumnStretch(1, 1);
    point->setColumnStretch(3, 1);

    table_ = new QTableWidget(0, static_cast<int>(kCheckColumns.size()));
    table_->setObjectName(QStringLiteral("table"));
    QStringList headers;
    for (const char* c : kCheckColumns) headers << QString::fromUtf8(c);
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(160);

    device_ = Label("device");
    result_ = Label("result");
    result_->setFont(bold);
    notice_ = Label("notice");
    notice_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setup);
    layout->addLayout(runs);
    layout->addWidget(pointBox);
    layout->addWidget(device_);
    layout->addWidget(table_, 1);
    layout->addWidget(result_);
    layout->addWidget(notice_);
    Refresh();
}

CheckWindow::~CheckWindow() = default;

void CheckWindow::Edited() {
    CheckForm form;
    for (std::size_t k = 0; k < kFormFields; ++k) form.fields[k] = ToUtf8(fields_[k]->text());
    form.downwards = downwards_->isChecked();
    model_.Edit(form);
}

void CheckWindow::Refresh() {
    if (model_.FormKey() != shownForm_) {
        shownForm_ = model_.FormKey();
        const CheckForm& form = model_.Form();
        for (std::size_t k = 0; k < kFormFields; ++k) fields_[k]->setText(FromUtf8(form.fields[k]));
        const QSignalBlocker quiet(downwards_);
        downwards_->setChecked(form.downwards);
    }
    const CheckControls can = model_.Controls();
    for (QLineEdit* f : fields_) f->setEnabled(can.form);
    downwards_->setEnabled(can.form);
    QStringList problems;
    for (const std::string& p : model_.Problems()) problems << FromUtf8(p);
    problems_->setText(problems.join(QLatin1Char('\n')));
    problems_->setVisible(!problems.isEmpty());

    const CheckPoint point = model_.Point();
    heading_->setText(FromUtf8(point.heading));
    apply_->setText(FromUtf8(point.apply));
    measured_->setText(FromUtf8(point.measured));
    state_->setText(FromUtf8(point.state));
    referenceLabel_->setText(point.referenceLabel.empty() ? QStringLiteral("Reference:") : FromUtf8(point.referenceLabel));
    if (point.key != shownPoint_) {
        shownPoint_ = point.key;
        reference_->setText(FromUtf8(point.referenceDefault));
        meter_->clear();
    }
    reference_->setEnabled(can.accept);
    meter_->setEnabled(can.accept);
    asFound_->setEnabled(can.start);
    asLeft_->setEnabled(can.start);
    accept_->setEnabled(can.accept);
    cutShort_->setEnabled(can.cutShort);
    abort_->setEnabled(can.abort);
    newCheck_->setEnabled(can.newCheck);
    open_->setEnabled(can.open);
    save_->setEnabled(can.save);
    certificate_->setEnabled(can.certificate);

    std::vector<CheckRow> rows = model_.Rows();
    if (rows != shownRows_) {
        table_->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
                auto* item = new QTableWidgetItem(FromUtf8(rows[r].cells[c]));
                if (c >= 2 && c + 1 < rows[r].cells.size()) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (c + 1 == rows[r].cells.size()) item->setForeground(ColourOf(rows[r].shade));
                table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
            }
        }
        if (rows.size() > shownRows_.size()) table_->scrollToBottom();
        shownRows_ = std::move(rows);
    }
    device_->setText(FromUtf8(model_.Device()));
    result_->setText(FromUtf8(model_.Result()));
    const QColor shade = ColourOf(model_.ResultShade());
    result_->setStyleSheet(QStringLiteral("color: %1").arg(shade.name()));
    notice_->setText(FromUtf8(model_.Notice()));
}

void CheckWindow::closeEvent(QCloseEvent* event) {
    model_.Close();
    event->accept();
}

void CheckWindow::SaveRecord() {
    if (!askForFile) return;
    const QString file = askForFile(this, true, QString::fromUtf8(text::kSaveRecordCaption),
                                    QString::fromUtf8(text::kCheckRecordFiles), QStringLiteral("json"));
    if (file.isEmpty()) return;
    if (const std::string error = model_.SaveRecord(ToPath(file)); !error.empty() && complain) complain(FromUtf8(error));
}

void CheckWindow::PrintCertificate() {
    if (!askForFile) return;
    const QString file = askForFile(this, true, QString::fromUtf8(text::kSaveCertificateCaption),
                                    QString::fromUtf8(text::kPdfFiles), QStringLiteral("pdf"));
    if (file.isEmpty()) return;
    if (const QString error = WriteCertificateTo(file, model_.Check().Session().Record()); !error.isEmpty() && complain)
        complain(error);
}

void CheckWindow::OpenRecord() {
    if (!askForFile) return;
    const QString file = askForFile(this, false, QString::fromUtf8(text::kOpenRecordCaption),
                                    QString::fromUtf8(text::kCheckRecordFiles) + ";;" + QString::fromUtf8(text::kAllFiles),
                                    QStringLiteral("json"));
    if (file.isEmpty()) return;
    if (const std::string error = model_.OpenRecord(ToPath(file)); !error.empty() && complain) complain(FromUtf8(error));
}

}  // namespace orv::app::qt
