#include "app/qt/PdfPages.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <array>
#include <filesystem>
#include <string>

#include "config/ConfigFile.h"
#include "report/PageLayout.h"

namespace orv::app::qt {

namespace {

using report::Font;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr std::array kFonts{Font::Title, Font::Heading, Font::Body, Font::Strong, Font::Small};

// Text measured on the PDF device itself, so the layout's widths are the
// widths drawn. Lengths in points.
class PdfMeasure : public report::TextMeasure {
public:
    explicit PdfMeasure(QPaintDevice& device) : toPoints_(72.0 / device.logicalDpiY()) {
        for (Font f : kFonts) {
            const report::FontStyle style = report::StyleOf(f);
            QFont font;
            // No ligatures: "Certificate" stays six letters for a search
            // or a copy from the PDF.
            font.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
            font.setPointSizeF(style.points);
            font.setBold(style.bold);
            fonts_[Index(f)] = font;
            metrics_[Index(f)] = std::make_unique<QFontMetricsF>(font, &device);
        }
    }
    double Width(Font font, std::string_view text) const override {
        return metrics_[Index(font)]->horizontalAdvance(Q(text)) * toPoints_;
    }
    report::LineMetrics Line(Font font) const override {
        const QFontMetricsF& m = *metrics_[Index(font)];
        return {m.ascent() * toPoints_, m.lineSpacing() * toPoints_};
    }
    const QFont& FontOf(Font font) const { return fonts_[Index(font)]; }

private:
    static std::size_t Index(Font font) { return static_cast<std::size_t>(font); }
    double toPoints_;
    std::array<QFont, kFonts.size()> fonts_;
    std::array<std::unique_ptr<QFontMetricsF>, kFonts.size()> metrics_;
};

void Paint(QPainter& painter, const report::Page& page, const PdfMeasure& measure, double scale) {
    for (const report::PlacedFill& f : page.fills)
        painter.fillRect(QRectF(f.x * scale, f.y * scale, f.width * scale, f.height * scale),
                         QColor::fromRgbF(static_cast<float>(f.grey), static_cast<float>(f.grey), static_cast<float>(f.grey)));
    for (const report::PlacedRule& r : page.rules) {
        painter.setPen(QPen(Qt::black, r.width * scale));
        painter.drawLine(QPointF(r.x1 * scale, r.y1 * scale), QPointF(r.x2 * scale, r.y2 * scale));
    }
    painter.setPen(Qt::black);
    for (const report::PlacedText& t : page.texts) {
        painter.setFont(measure.FontOf(t.font));
        painter.drawText(QPointF(t.x * scale, t.baseline * scale), Q(t.text));
    }
}

}  // namespace

QString WritePdf(const QString& file, const report::Document& document) {
    // Drawn in memory, then saved like a configuration: QPdfWriter says
    // nothing when a write fails, and a full disk must not leave a cut-off
    // PDF behind a success.
    QBuffer pdfBytes;
    pdfBytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&pdfBytes);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));  // the layout keeps its own
        pdf.setTitle(Q(document.name));
        pdf.setCreator(QStringLiteral("Orvane Revuvuvi"));
        const PdfMeasure measure(pdf);
        const std::vector<report::Page> pages = report::LayOut(document, report::kA4, measure);
        QPainter painter;
        if (painter.begin(&pdf)) {
            const double scale = pdf.logicalDpiX() / 72.0;
            for (std::size_t i = 0; i < pages.size(); ++i) {
                if (i > 0) pdf.newPage();
                Paint(painter, pages[i], measure, scale);
            }
            painter.end();
        }
    }  // the writer finishes the file when it goes
    const QByteArray& bytes = pdfBytes.data();
    if (bytes.isEmpty()) return QStringLiteral("Cannot write \"%1\": the page could not be drawn").arg(file);
    const std::string error = config::WriteFileAtomically(std::filesystem::path(file.toStdU16String()),
                                                          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return Q(error);
}

}  // namespace orv::app::qt
