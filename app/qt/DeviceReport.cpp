#include "app/qt/DeviceReport.h"

#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cmath>

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

QString DeviceReportHtml(const config::ConfigRecord& record, const std::deque<calib::StampedReading>& readings) {
    const config::ParamFields& f = record.fields;
    const auto& model = config::Models()[f.model];
    const int row = config::RowOfCode(f.inputType);
    const auto& type = config::InputTypes()[static_cast<std::size_t>(row)];
    const QString unit = Q(type.unit);
    // Numbers as the window shows them: decimals by the span of the range.
    const int decimals = config::RangeDecimals(std::fabs(f.rangeZero - f.rangeFull));
    const auto num = [&](double v) { return QString::fromStdString(config::FormatFixed(v, decimals)); };

    QString settings;
    settings += Row(QStringLiteral("Input type"), Q(type.modelText));
    settings += Row(QStringLiteral("CJC option"), f.cjcMode ? QStringLiteral("Internal") : QStringLiteral("External Cu50"));
    settings += Row(QStringLiteral("Wiring"), QStringLiteral("%1-wire").arg(f.wireCount));
    settings += Row(QStringLiteral("Range zero"), num(f.rangeZero), unit);
    settings += Row(QStringLiteral("Range full"), num(f.rangeFull), unit);
    settings += Row(QStringLiteral("Offset correction"), QString::number(f.offsetCorrection), unit);
    settings += Row(QStringLiteral("Output damping"),
                    f.dampingLevel == 0 ? QStringLiteral("Pass Filter") : QStringLiteral("Level %1").arg(f.dampingLevel));
    settings += Row(QStringLiteral("Sensor break alarm"), f.breakAlarm ? QStringLiteral("Greater than High Limit")
                                                                       : QStringLiteral("Less than Low Limit"));
    settings += Row(QStringLiteral("Current output"),
                    f.outputDirection ? QStringLiteral("4mA - 20mA") : QStringLiteral("20mA - 4mA"));

    QString cal;
    cal += Row(QStringLiteral("Resistance calibration"), num(static_cast<double>(f.resistanceCal) / 50.0));
    cal += Row(QStringLiteral("Thermocouple and mV calibration"), QString::number(f.millivoltCal));
    cal += Row(QStringLiteral("Internal temperature sensor calibration"), QString::number(f.ambientCal));
    cal += Row(QStringLiteral("Voltage calibration"), QString::number(f.voltageCal));
    cal += Row(QStringLiteral("Current calibration"), QString::number(f.currentCal));
    cal += Row(QStringLiteral("Output 1 zero trim"), QString::number(f.out1ZeroTrim));
    cal += Row(QStringLiteral("Output 1 full-scale trim"), QString::number(f.out1FullTrim));
    if (model.outputs > 1) {
        cal += Row(QStringLiteral("Output 2 zero trim"), QString::number(f.out2ZeroTrim));
        cal += Row(QStringLiteral("Output 2 full-scale trim"), QString::number(f.out2FullTrim));
    }

    QString html = QStringLiteral("<html><body style=\"font-size: 10pt\">");
    html += QStringLiteral("<h2>Device Report</h2>");
    html += QStringLiteral("<p>Date: %1<br>Model: %2 (code %3)<br>Input type: %4 (code %5)<br>Written by: %6</p>")
                .arg(Esc(Q(record.savedAt)), Esc(Q(model.listText)))
                .arg(f.model)
                .arg(Esc(Q(type.modelText)))
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
    // QPdfWriter reports nothing when the file cannot be written: try it first.
    {
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly)) return probe.errorString();
    }
    QPdfWriter pdf(file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Device Report"));
    pdf.setCreator(QStringLiteral("Orvane Revuvuvi"));
    QTextDocument doc;
    doc.setHtml(DeviceReportHtml(record, readings));
    doc.print(&pdf);
    return {};
}

}  // namespace orv::app::qt
