#include "playback/TestReport.h"

#include "common/PlainFile.h"
#include "common/TextTrim.h"
#include "datafiles/TestDataFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace corvin::playback {

namespace {

// The page in points (A4) and its margins.
constexpr double kPageWidth = 595.0;
constexpr double kMargin = 40.0;
constexpr double kWidth = kPageWidth - 2 * kMargin;

const QString kNotRecorded = QStringLiteral("not recorded");

// Seven colours told apart by colour-blind readers too, each with its own line style, so a
// black-and-white print still tells the channels apart.
const QColor kColours[kChannelCount] = {QColor(QRgb(0x000000)), QColor(QRgb(0xE69F00)), QColor(QRgb(0x56B4E9)), QColor(QRgb(0x009E73)),
                                        QColor(QRgb(0x0072B2)), QColor(QRgb(0xD55E00)), QColor(QRgb(0xCC79A7))};

QPen ChannelPen(int k, double width) {
    QPen pen(kColours[k - 1], width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    switch (k) {
    case 1: pen.setStyle(Qt::SolidLine); break;
    case 2: pen.setDashPattern({6, 3}); break;
    case 3: pen.setDashPattern({1.5, 2}); break;
    case 4: pen.setDashPattern({6, 2, 1.5, 2}); break;
    case 5: pen.setDashPattern({6, 2, 1.5, 2, 1.5, 2}); break;
    case 6: pen.setDashPattern({10, 3}); break;
    default: pen.setDashPattern({3, 3}); break;
    }
    return pen;
}

QFont Font(double points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QString Number(double v) {
    return QString::number(v, 'g', 4);
}

QString OrNot(const QString& v) {
    return v.trimmed().isEmpty() ? kNotRecorded : v.trimmed();
}

QString Time(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : kNotRecorded;
}

QString LimitsText(const probes::ChannelLimits& l) {
    if (!l.judged())
        return QStringLiteral("none");
    QString text = (l.min ? Number(*l.min) : QStringLiteral("\u2212\u221E")) + QStringLiteral(" to ") +
                   (l.max ? Number(*l.max) : QStringLiteral("\u221E"));
    if (l.marginalMin || l.marginalMax)
        text += QStringLiteral(" (good ") + (l.marginalMin ? Number(*l.marginalMin) : QStringLiteral("\u2026")) +
                QStringLiteral("\u2013") + (l.marginalMax ? Number(*l.marginalMax) : QStringLiteral("\u2026")) +
                QStringLiteral(")");
    if (l.settleSeconds)
        text += QStringLiteral(", after ") + Number(*l.settleSeconds) + QStringLiteral(" s");
    return text;
}

// Text cut to `width` with an ellipsis, so nothing runs into the next column.
void Cell(QPainter& p, const QRectF& r, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
    const QString shown = QFontMetricsF(p.font()).elidedText(text, Qt::ElideRight, r.width() - 2);
    p.drawText(r.adjusted(1, 0, -1, 0), int(align | Qt::AlignVCenter), shown);
}

class ReportPainter {
public:
    ReportPainter(QPainter& p, const ReportInput& in) : m_p(p), m_in(in) {
        std::array<bool, kChannelCount> on;
        on.fill(true);
        if (in.record && in.record->channelsOn)
            on = *in.record->channelsOn;
        m_on = on;
        m_judgement = datafiles::JudgeTest(in.data, interval(), on, in.limits);
    }

    void paint() {
        double y = kMargin;
        y = title(y);
        y = fields(y + 8);
        y = table(y + 12);
        graph(QRectF(kMargin, y + 16, kWidth, 842 - kMargin - 36 - (y + 16)));
        footer(842 - kMargin - 14);
    }

private:
    int interval() const { return m_in.data.HeaderValues[0] > 0 ? m_in.data.HeaderValues[0] : 1; }
    int rows() const { return std::max<int>(0, m_in.data.SampleCapacity); }

    double title(double y) {
        m_p.setPen(Qt::black);
        m_p.setFont(Font(18, true));
        m_p.drawText(QRectF(kMargin, y, kWidth, 26), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Corvin test report"));
        // The verdict, large, in a box: readable at a glance and in black and white.
        const QString verdict = datafiles::VerdictName(m_judgement.verdict);
        m_p.setFont(Font(22, true));
        const double w = QFontMetricsF(m_p.font()).horizontalAdvance(verdict) + 24;
        const QRectF box(kMargin + kWidth - w, y - 2, w, 34);
        m_p.setPen(QPen(Qt::black, m_judgement.verdict == datafiles::Verdict::Fail ? 3.0 : 1.2));
        m_p.drawRect(box);
        m_p.drawText(box, Qt::AlignCenter, verdict);
        return y + 36;
    }

    double fields(double y) {
        const datafiles::TestRecord r = m_in.record.value_or(datafiles::TestRecord{});
        const bool has = m_in.record.has_value();
        const auto orNot = [has](const QString& v) { return has ? OrNot(v) : kNotRecorded; };
        QString range = has && !r.range.isEmpty() ? r.range : kNotRecorded;
        if (has && r.fullScaleMicroAmps > 0)
            range += QStringLiteral(", full scale %1 \u00B5A").arg(r.fullScaleMicroAmps);
        const QList<std::pair<QString, QString>> left{
            {QStringLiteral("Probe"), has ? OrNot(r.probeName) : kNotRecorded},
            {QStringLiteral("Start"), has ? Time(r.start) : kNotRecorded},
            {QStringLiteral("End"), has ? Time(r.end) : kNotRecorded},
            {QStringLiteral("Range"), range},
        };
        const QList<std::pair<QString, QString>> right{
            {QStringLiteral("Station"), orNot(r.station)},
            {QStringLiteral("Operator"), orNot(r.operatorName)},
            {QStringLiteral("Interval"), QStringLiteral("%1 s, %2 rows").arg(interval()).arg(rows())},
            {QStringLiteral("Card"), orNot(r.card + (r.cardDevice.isEmpty() ? QString() : QStringLiteral(" ") + r.cardDevice))},
        };
        const double line = 13;
        for (int i = 0; i < left.size(); ++i) {
            fieldLine(QRectF(kMargin, y + i * line, kWidth / 2 - 6, line), left[i]);
            fieldLine(QRectF(kMargin + kWidth / 2, y + i * line, kWidth / 2, line), right[i]);
        }
        y += left.size() * line;
        // The note may run over several lines.
        m_p.setFont(Font(9, true));
        m_p.drawText(QRectF(kMargin, y, 60, line), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Note"));
        m_p.setFont(Font(9));
        const QString note = has && !r.note.isEmpty() ? r.note : (has ? QStringLiteral("none") : kNotRecorded);
        const QRectF noteRect(kMargin + 60, y + 1, kWidth - 60, 3 * line);
        QRectF used;
        m_p.drawText(noteRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note, &used);
        return y + std::max(line, std::min(used.height(), noteRect.height()));
    }

    void fieldLine(const QRectF& r, const std::pair<QString, QString>& field) {
        m_p.setFont(Font(9, true));
        m_p.drawText(QRectF(r.left(), r.top(), 60, r.height()), Qt::AlignLeft | Qt::AlignVCenter, field.first);
        m_p.setFont(Font(9));
        Cell(m_p, QRectF(r.left() + 60, r.top(), r.width() - 60, r.height()), field.second);
    }

    double table(double y) {
        const double widths[] = {22, 118, 44, 44, 44, 48, 124, 71};
        const QStringList heads{QStringLiteral("Ch"),   QStringLiteral("Name"),   QStringLiteral("Min"),
                                QStringLiteral("Max"),  QStringLiteral("Mean"),   QStringLiteral("SD"),
                                QStringLiteral("Limits \u00B5A"), QStringLiteral("Verdict")};
        const double line = 14;
        const auto row = [&](double top, const QStringList& cells, bool bold) {
            double x = kMargin;
            m_p.setFont(Font(8.5, bold));
            for (int c = 0; c < cells.size(); ++c) {
                // Numbers right-aligned, with room before the limits that follow them.
                const bool number = c >= 2 && c <= 5;
                Cell(m_p, QRectF(x, top, widths[c] - (c == 5 ? 8 : 0), line), cells[c],
                     number ? Qt::AlignRight : Qt::AlignLeft);
                x += widths[c];
            }
        };
        row(y, heads, true);
        m_p.setPen(QPen(Qt::black, 0.8));
        m_p.drawLine(QPointF(kMargin, y + line), QPointF(kMargin + kWidth, y + line));
        for (int k = 1; k <= kChannelCount; ++k) {
            const datafiles::ChannelJudgement& j = m_judgement.channels[k - 1];
            const datafiles::ChannelStatistics& s = j.statistics;
            const bool numbers = m_on[k - 1] && s.rows > 0;
            const double top = y + k * line + 1;
            // The channel's line style beside its number ties the table to the graph.
            m_p.setPen(ChannelPen(k, 1.6));
            m_p.drawLine(QPointF(kMargin + 12, top + line / 2), QPointF(kMargin + 21, top + line / 2));
            m_p.setPen(Qt::black);
            row(top,
                {QString::number(k), TrimPaddingEnd(m_in.data.ChannelNames[k - 1]).trimmed(),
                 numbers ? Number(s.min) : QString(), numbers ? Number(s.max) : QString(),
                 numbers ? Number(s.mean) : QString(), numbers ? Number(s.standardDeviation) : QString(),
                 m_on[k - 1] ? LimitsText(m_in.limits[k - 1]) : QStringLiteral("off"),
                 datafiles::VerdictName(j.verdict)},
                j.verdict == datafiles::Verdict::Fail);
        }
        m_p.setPen(QPen(Qt::black, 0.8));
        const double bottom = y + (kChannelCount + 1) * line + 2;
        m_p.drawLine(QPointF(kMargin, bottom), QPointF(kMargin + kWidth, bottom));
        return bottom;
    }

    void graph(const QRectF& area) {
        const QRectF plot = area.adjusted(38, 4, -6, -26);
        // The range shown: every reading of the channels on, and their limits.
        double low = 0, high = 0;
        bool any = false;
        const auto take = [&](double v) {
            if (!std::isfinite(v))
                return;
            low = any ? std::min(low, v) : v;
            high = any ? std::max(high, v) : v;
            any = true;
        };
        for (int k = 1; k <= kChannelCount; ++k) {
            if (!m_on[k - 1])
                continue;
            const std::vector<float>& v = m_in.data.PeriodicData[k - 1];
            for (int r = 0; r < rows() && r < int(v.size()); ++r)
                take(v[std::size_t(r)]);
            const probes::ChannelLimits& l = m_in.limits[k - 1];
            for (const std::optional<double>& b : {l.min, l.max})
                if (b)
                    take(*b);
        }
        if (!any || high - low < 1e-9) {
            low -= 1;
            high += 1;
        }
        const double pad = (high - low) * 0.05;
        low -= pad;
        high += pad;
        const double seconds = std::max(1.0, double(rows()) * interval());
        const auto px = [&](double s) { return plot.left() + plot.width() * s / seconds; };
        const auto py = [&](double v) { return plot.bottom() - plot.height() * (v - low) / (high - low); };

        // Grid and axes.
        m_p.setFont(Font(7));
        m_p.setPen(QPen(QColor(0xBB, 0xBB, 0xBB), 0.4));
        const double yStep = NiceStep((high - low) / 6);
        for (double v = std::ceil(low / yStep) * yStep; v <= high; v += yStep) {
            m_p.setPen(QPen(QColor(0xBB, 0xBB, 0xBB), 0.4));
            m_p.drawLine(QPointF(plot.left(), py(v)), QPointF(plot.right(), py(v)));
            m_p.setPen(Qt::black);
            m_p.drawText(QRectF(area.left(), py(v) - 5, 34, 10), Qt::AlignRight | Qt::AlignVCenter, tick(v, yStep));
        }
        // Elapsed time in the unit that keeps its numbers short: seconds, minutes or hours.
        const double unit = seconds <= 900 ? 1 : seconds <= 3 * 3600 ? 60 : 3600;
        const QString unitName = unit == 1 ? QStringLiteral("s") : unit == 60 ? QStringLiteral("min") : QStringLiteral("h");
        const double xStep = NiceStep(seconds / unit / 8) * unit;
        for (double s = 0; s <= seconds + 1e-9; s += xStep) {
            m_p.setPen(QPen(QColor(0xBB, 0xBB, 0xBB), 0.4));
            m_p.drawLine(QPointF(px(s), plot.top()), QPointF(px(s), plot.bottom()));
            m_p.setPen(Qt::black);
            m_p.drawText(QRectF(px(s) - 25, plot.bottom() + 2, 50, 10), Qt::AlignCenter, tick(s / unit, xStep / unit));
        }
        m_p.setPen(QPen(Qt::black, 0.8));
        m_p.drawRect(plot);
        m_p.drawText(QRectF(plot.left(), plot.bottom() + 13, plot.width(), 11), Qt::AlignCenter,
                     QStringLiteral("Elapsed time (%1)").arg(unitName));
        m_p.save();
        m_p.translate(area.left() + 4, plot.center().y());
        m_p.rotate(-90);
        m_p.drawText(QRectF(-60, -6, 120, 10), Qt::AlignCenter, QStringLiteral("Current (\u00B5A)"));
        m_p.restore();

        m_p.save();
        m_p.setClipRect(plot);
        // Limits first, under the readings: each channel's bounds in its own style, thin.
        for (int k = 1; k <= kChannelCount; ++k) {
            const probes::ChannelLimits& l = m_in.limits[k - 1];
            if (!m_on[k - 1] || !l.judged())
                continue;
            if (l.min && l.max) {
                QColor band = kColours[k - 1];
                band.setAlpha(28);
                m_p.fillRect(QRectF(QPointF(plot.left(), py(*l.max)), QPointF(plot.right(), py(*l.min))), band);
            }
            m_p.setPen(ChannelPen(k, 0.6));
            for (const std::optional<double>& b : {l.min, l.max})
                if (b)
                    m_p.drawLine(QPointF(plot.left(), py(*b)), QPointF(plot.right(), py(*b)));
        }
        // The readings, at most two points (the lowest and the highest) per column of the page.
        const int columns = std::max(1, int(plot.width() * 2));
        for (int k = 1; k <= kChannelCount; ++k) {
            if (!m_on[k - 1])
                continue;
            const std::vector<float>& v = m_in.data.PeriodicData[k - 1];
            const int n = std::min<int>(rows(), int(v.size()));
            QPainterPath path;
            bool started = false;
            const int perColumn = std::max(1, n / columns);
            for (int r0 = 0; r0 < n; r0 += perColumn) {
                const int r1 = std::min(n, r0 + perColumn);
                int lo = r0, hi = r0;
                for (int r = r0; r < r1; ++r) {
                    if (v[std::size_t(r)] < v[std::size_t(lo)])
                        lo = r;
                    if (v[std::size_t(r)] > v[std::size_t(hi)])
                        hi = r;
                }
                for (int r : {std::min(lo, hi), std::max(lo, hi)}) {
                    const double value = v[std::size_t(r)];
                    if (!std::isfinite(value)) {
                        started = false;
                        continue;
                    }
                    const QPointF point(px((r + 1.0) * interval()), py(value));
                    if (started)
                        path.lineTo(point);
                    else
                        path.moveTo(point);
                    started = true;
                }
            }
            m_p.setPen(ChannelPen(k, 1.1));
            m_p.setBrush(Qt::NoBrush);
            m_p.drawPath(path);
            // A short test shows its readings as points too (a single row has no line at all).
            if (n <= 60) {
                m_p.setPen(QPen(kColours[k - 1], 1.0));
                for (int r = 0; r < n; ++r)
                    if (std::isfinite(v[std::size_t(r)]))
                        m_p.drawEllipse(QPointF(px((r + 1.0) * interval()), py(v[std::size_t(r)])), 2.0, 2.0);
            }
        }
        m_p.restore();
    }

    void footer(double y) {
        m_p.setPen(Qt::black);
        m_p.setFont(Font(7));
        QString text = QStringLiteral("Data file: ") + QFileInfo(m_in.datPath).fileName() +
                       QStringLiteral("    SHA-256: ") + m_in.datSha256;
        if (m_in.recordChanged)
            text += QStringLiteral("    (") + datafiles::kRecordChangedText + QStringLiteral(")");
        Cell(m_p, QRectF(kMargin, y, kWidth, 12), text);
    }

    // A tick's number with as many decimals as its step needs, never in exponent form.
    static QString tick(double v, double step) {
        const int decimals = step >= 1 ? 0 : std::min(6, int(std::ceil(-std::log10(step) - 1e-9)));
        const QString text = QString::number(v, 'f', decimals);
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    }

    static double NiceStep(double raw) {
        if (!(raw > 0))
            return 1;
        const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
        for (double m : {1.0, 2.0, 5.0, 10.0})
            if (raw <= m * magnitude)
                return m * magnitude;
        return 10 * magnitude;
    }

    QPainter& m_p;
    const ReportInput& m_in;
    std::array<bool, kChannelCount> m_on{};
    datafiles::TestJudgement m_judgement;
};

} // namespace

Status PrepareReport(const QString& datPath, const QString& limitsPath, ReportInput& input, QStringList& notes) {
    ReportInput in;
    in.datPath = datPath;
    if (Status s = datafiles::ReadTestDataFile(datPath, in.data); !s)
        return Status::failure(QStringLiteral("cannot read %1: %2").arg(datPath, s.message()));
    QByteArray bytes;
    if (Status s = ReadPlainFile(QFile::encodeName(datPath), qint64(24) * (32767 * 7 + 9), bytes); s)
        in.datSha256 = datafiles::Sha256Hex(bytes);
    const datafiles::RecordReading reading = datafiles::ReadRecordBeside(datPath);
    if (reading.state == datafiles::RecordState::Unusable)
        notes << reading.message;
    if (reading.state == datafiles::RecordState::Matches || reading.state == datafiles::RecordState::Changed) {
        in.record = reading.record;
        in.recordChanged = reading.state == datafiles::RecordState::Changed;
        if (in.recordChanged)
            notes << datafiles::kRecordChangedText;
        if (reading.record.limits)
            in.limits = *reading.record.limits;
    }
    if (!limitsPath.isEmpty()) {
        if (!QFileInfo::exists(limitsPath))
            return Status::failure(QStringLiteral("cannot read %1: no such file").arg(limitsPath));
        if (Status s = probes::ReadProbeLimits(limitsPath, in.limits); !s)
            return Status::failure(limitsPath + QStringLiteral(": ") + s.message());
    }
    input = std::move(in);
    return Status::success();
}

QByteArray RenderTestReport(const ReportInput& input) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setResolution(72); // one unit of the painter is one point
        writer.setTitle(QStringLiteral("Corvin test report: ") + QFileInfo(input.datPath).fileName());
        writer.setCreator(QStringLiteral("Corvin"));
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        ReportPainter(painter, input).paint();
    }
    return pdf.data();
}

Status WriteTestReport(const QString& pdfPath, const ReportInput& input, const AtomicFileFactory& files) {
    return WriteFileAtomically(pdfPath, RenderTestReport(input), files);
}

void SaveTestReport(const QString& datPath, platform::Dialogs& dialogs, MainFrame& frame,
                    const AtomicFileFactory& files) {
    const QFileInfo dat(datPath);
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Save Test Report");
    dialog.filter = QStringLiteral("PDF Document (*.pdf)|*.pdf");
    dialog.initialFolder = dat.absolutePath();
    dialog.fileName = dat.completeBaseName() + QStringLiteral(" report.pdf");
    dialog.defaultSuffix = QStringLiteral("pdf");
    const std::optional<QString> pdf = dialogs.saveFile(dialog);
    if (!pdf || pdf->isEmpty())
        return;
    ReportInput input;
    QStringList notes;
    Status s = PrepareReport(datPath, {}, input, notes);
    if (s)
        s = WriteTestReport(*pdf, input, files);
    if (!s) {
        dialogs.critical(QStringLiteral("The test report could not be written to %1: %2").arg(*pdf, s.message()));
        return;
    }
    QString notice = QStringLiteral("Test report written to ") + *pdf;
    for (const QString& note : notes)
        notice += QStringLiteral(" (") + note + QStringLiteral(")");
    frame.showNotice(notice);
}

} // namespace corvin::playback
