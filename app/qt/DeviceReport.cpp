#include "app/qt/DeviceReport.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cmath>
#include <filesystem>
#include <string>

#include "config/InputTypeCatalogue.h"
#include "config/RangeFormat.h"

namespace orv::app::qt {

namespace {

QString Esc(const QString& s) { return s.toHtmlEscaped(); }
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Row(const QString& name, const QString& value, const QString& unit = {}) {
    return QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td><td>%3</td></tr>")
        .arg(Esc(name), Esc(value), Esc(unit));
}

QString Table(const QString& caption, const QString& rows) {
    return QStringLiteral(
               "<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">"
               "<tr><th align=\"left\">Setting</th><th align=\"right\">Value</th><th align=\"left\">Unit</th></tr>%2"
               "</table>")
        .arg(Esc(caption), rows);
}

}  // namespace

// A choice as the report words it; a byte that is no choice as itself.
QString Choice(std::uint8_t value, const QString& zero, const QString& one) {
    if (value <= 1) return value ? one : zero;
    return QStringLiteral("%1 (outside the setting's range)").arg(value);
}

QString DeviceReportHtml(const config::ConfigRecord& record, const std::deque<calib::StampedReading>& readings) {
    const config::ParamFields& f = record.fields;
    // A device may report a model or type this tool does not know: the page
    // says so rather than guessing.
    const config::ModelRow* model = config::FindModel(f.model);
    const int row = config::RowOfCode(f.inputType);
    const config::InputTypeRow* type = row == config::kNoRow ? nullptr : &config::InputTypes()[static_cast<std::size_t>(row)];
    const QString modelName = model ? Q(model->listText) : QStringLiteral("unknown model");
    const QString typeName = type ? Q(type->modelText) : QStringLiteral("unknown input type");
    const QString unit = type ? Q(type->unit) : QString();
    // Numbers as the window shows them: decimals by the span of the range.
    const int decimals = config::RangeDecimals(std::fabs(f.rangeZero - f.rangeFull));
    const auto num = [&](double v) { return QString::fromStdString(config::FormatFixed(v, decimals)); };

    QString settings;
    settings += Row(QStringLiteral("Input type"), typeName);
    settings += Row(QStringLiteral("CJC option"), Choice(f.cjcMode, QStringLiteral("External Cu50"), QStringLiteral("Internal")));
    settings += Row(QStringLiteral("Wiring"), f.wireCount >= 2 && f.wireCount <= 4
                                                  ? QStringLiteral("%1-wire").arg(f.wireCount)
                                                  : QStringLiteral("%1 (outside the setting's range)").arg(f.wireCount));
    settings += Row(QStringLiteral("Range zero"), num(f.rangeZero), unit);
    settings += Row(QStringLiteral("Range full"), num(f.rangeFull), unit);
    settings += Row(QStringLiteral("Offset correction"), QString::number(f.offsetCorrection), unit);
    settings += Row(QStringLiteral("Output damping"),
                    f.dampingLevel == 0 ? QStringLiteral("Pass Filter") : QStringLiteral("Level %1").arg(f.dampingLevel));
    settings += Row(QStringLiteral("Sensor break alarm"), Choice(f.breakAlarm, QStringLiteral("Less than Low Limit"),
                                                                 QStringLiteral("Greater than High Limit")));
    settings += Row(QStringLiteral("Current output"),
                    Choice(f.outputDirection, QStringLiteral("20mA - 4mA"), QStringLiteral("4mA - 20mA")));

    QString cal;
    cal += Row(QStringLiteral("Resistance calibration"), num(static_cast<double>(f.resistanceCal) / 50.0));
    cal += Row(QStringLiteral("Thermocouple and mV calibration"), QString::number(f.millivoltCal));
    cal += Row(QStringLiteral("Internal temperature sensor calibration"), QString::number(f.ambientCal));
    cal += Row(QStringLiteral("Voltage calibration"), QString::number(f.voltageCal));
    cal += Row(QStringLiteral("Current calibration"), QString::number(f.currentCal));
    cal += Row(QStringLiteral("Output 1 zero trim"), QString::number(f.out1ZeroTrim));
    cal += Row(QStringLiteral("Output 1 full-scale trim"), QString::number(f.out1FullTrim));
    if (!model || model->outputs > 1) {
        cal += Row(QStringLiteral("Output 2 zero trim"), QString::number(f.out2ZeroTrim));
        cal += Row(QStringLiteral("Output 2 full-scale trim"), QString::number(f.out2FullTrim));
    }

    QString html = QStringLiteral("<html><body style=\"font-size: 10pt\">");
    html += QStringLiteral("<h2>Device Report</h2>");
    html += QStringLiteral("<p>Date: %1<br>Model: %2 (code %3)<br>Input type: %4 (code %5)<br>Written by: %6</p>")
                .arg(Esc(Q(record.savedAt)), Esc(modelName))
                .arg(f.model)
                .arg(Esc(typeName))
                .arg(f.inputType)
                .arg(Esc(Q(record.tool)));
    html += Table(QStringLiteral("Settings"), settings);
    html += Table(QStringLiteral("Calibration constants and trims"), cal);
    if (!readings.empty()) {
        html += QStringLiteral(
            "<h3>Last readings</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
            "<tr><th width=\"30%\">Time</th><th width=\"20%\">Measured value</th>"
            "<th width=\"20%\">Ambient temperature</th><th width=\"30%\">RV0 to RV4</th></tr>");
        for (const auto& r : readings) {
            QStringList raw;
            for (auto v : r.block.raw) raw << QString::number(v);
            // Date and time to the second fit the column; the offset from UTC
            // is the report date's.
            const QString when = Q(r.isoTime).left(19).replace(QLatin1Char('T'), QLatin1Char(' '));
            html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2 %3</td><td align=\"right\">%4 ℃</td>"
                                   "<td>%5</td></tr>")
                        .arg(Esc(when), num(r.block.measured), Esc(Q(r.unit)), num(r.block.ambient),
                             raw.join(QLatin1Char(' ')));
        }
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral(
        "<p><br><br>Technician's name: ______________________________ &nbsp;&nbsp; Date: ____________</p>"
        "<p><br>Signature: ______________________________</p></body></html>");
    return html;
}

QString WriteDeviceReport(const QString& file, const config::ConfigRecord& record,
                          const std::deque<calib::StampedReading>& readings) {
    // Drawn in memory, then saved like a configuration: QPdfWriter says
    // nothing when a write fails, and a full disk must not leave a cut-off
    // PDF behind a success.
    QBuffer pdfBytes;
    pdfBytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&pdfBytes);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pdf.setTitle(QStringLiteral("Device Report"));
        pdf.setCreator(QStringLiteral("Orvane Revuvuvi"));
        QTextDocument doc;
        doc.setHtml(DeviceReportHtml(record, readings));
        doc.print(&pdf);
    }  // the writer finishes the file when it goes
    const QByteArray& bytes = pdfBytes.data();
    if (bytes.isEmpty()) return QStringLiteral("Cannot write the device report \"%1\": the page could not be drawn").arg(file);
    const std::string error = config::WriteFileAtomically(std::filesystem::path(file.toStdU16String()),
                                                          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return QString::fromUtf8(error.data(), static_cast<qsizetype>(error.size()));
}

}  // namespace orv::app::qt
