#include "gnss/gnss_widgets.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "ui/string_table.h"

namespace {

QColor ColourOf(EConstellation c)
{
    static const QColor colours[] = {QColor(0, 90, 200), QColor(200, 40, 40), QColor(0, 140, 70), QColor(200, 120, 0),
                                     QColor(130, 60, 170), QColor(90, 90, 90), QColor(0, 150, 160), QColor(60, 60, 60)};
    return colours[static_cast<std::size_t>(c) % std::size(colours)];
}

QString Value(const std::optional<int>& v, const CGnssTexts* texts)
{
    return v ? QString::number(*v) : QString::fromStdString(texts->Text(StringIds::NotAvailable));
}

}  // namespace

void DrawConstellationMark(QPainter& p, EConstellation system, QPointF c, double s, bool filled)
{
    const QColor colour = ColourOf(system);
    p.setPen(QPen(colour, 1.5));
    p.setBrush(filled ? QBrush(colour) : Qt::NoBrush);
    const double r = s / 2;
    QPolygonF poly;
    const auto regular = [&](int n, double start) {
        for (int i = 0; i < n; ++i) {
            const double a = start + 2 * M_PI * i / n;
            poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        }
    };
    switch (system) {
    case EConstellation::Gps: p.drawEllipse(c, r, r); return;
    case EConstellation::Glonass: p.drawRect(QRectF(c.x() - r, c.y() - r, s, s)); return;
    case EConstellation::Galileo: regular(3, -M_PI / 2); break;
    case EConstellation::BeiDou: regular(4, 0); break;
    case EConstellation::Qzss: regular(5, -M_PI / 2); break;
    case EConstellation::Navic: regular(6, 0); break;
    case EConstellation::Sbas:
        poly << QPointF(c.x(), c.y() - r) << QPointF(c.x() + r, c.y() + r) << QPointF(c.x() - r, c.y() + r * 0.2)
             << QPointF(c.x() + r, c.y() + r * 0.2) << QPointF(c.x() - r, c.y() + r);  // a star
        break;
    default: regular(8, 0); break;
    }
    p.drawPolygon(poly);
}

CSkyPlot::CSkyPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(220, 220);
}

void CSkyPlot::SetSatellites(std::vector<SSatellite> sky, const CGnssTexts* texts)
{
    m_Sky = std::move(sky);
    m_Texts = texts;
    update();
}

void CSkyPlot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const double radius = std::min(width(), height()) / 2.0 - 18;
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.setPen(QPen(palette().mid().color(), 1));
    for (int el : {0, 30, 60})
        p.drawEllipse(centre, radius * (90 - el) / 90.0, radius * (90 - el) / 90.0);
    p.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
    p.setPen(palette().text().color());
    p.drawText(QRectF(centre.x() - 10, centre.y() - radius - 17, 20, 16), Qt::AlignCenter, QStringLiteral("N"));
    for (const SSatellite& s : m_Sky) {
        if (!s.Elevation || !s.Azimuth || *s.Elevation < 0)
            continue;
        const double r = radius * (90 - *s.Elevation) / 90.0;
        const double a = *s.Azimuth * M_PI / 180.0;
        const QPointF at(centre.x() + r * std::sin(a), centre.y() - r * std::cos(a));
        DrawConstellationMark(p, s.System, at, 12, s.Used);
        p.setPen(palette().text().color());
        p.drawText(at + QPointF(8, -4), QString::number(s.Id));
    }
    // Legend: shape and name of each constellation shown.
    double y = 12;
    for (std::size_t c = 0; c < ConstellationCount && m_Texts; ++c) {
        const auto system = static_cast<EConstellation>(c);
        if (std::none_of(m_Sky.begin(), m_Sky.end(), [&](const SSatellite& s) { return s.System == system; }))
            continue;
        DrawConstellationMark(p, system, QPointF(10, y), 9, true);
        p.setPen(palette().text().color());
        p.drawText(QPointF(18, y + 4), QString::fromStdString(m_Texts->Constellation(system)));
        y += 14;
    }
}

CSignalBars::CSignalBars(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(240, 120);
}

void CSignalBars::SetSatellites(std::vector<SSatellite> sky)
{
    m_Sky = std::move(sky);
    update();
}

void CSignalBars::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    if (m_Sky.empty())
        return;
    const int gaps = static_cast<int>(std::count_if(m_Sky.begin() + 1, m_Sky.end(), [&](const SSatellite& s) {
        return s.System != (&s - 1)->System;
    }));
    const double slot = (width() - 8.0) / (static_cast<double>(m_Sky.size()) + gaps);
    const double bottom = height() - 30.0;
    double x = 4;
    for (std::size_t i = 0; i < m_Sky.size(); ++i) {
        const SSatellite& s = m_Sky[i];
        if (i > 0 && s.System != m_Sky[i - 1].System)
            x += slot;  // a gap between constellations
        const double h = s.Snr ? (bottom - 4) * std::min(*s.Snr, 60) / 60.0 : 0;
        const QColor colour = ColourOf(s.System);
        p.setPen(colour);
        p.setBrush(s.Used ? QBrush(colour) : QBrush(colour, Qt::BDiagPattern));
        p.drawRect(QRectF(x + 1, bottom - h, slot - 2, h));
        DrawConstellationMark(p, s.System, QPointF(x + slot / 2, bottom + 8), std::min(slot - 2, 9.0), s.Used);
        p.setPen(palette().text().color());
        p.drawText(QRectF(x, bottom + 14, slot, 14), Qt::AlignCenter, QString::number(s.Id));
        x += slot;
    }
}

CScatterPlot::CScatterPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(200, 200);
}

void CScatterPlot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QPointF centre(width() / 2.0, height() / 2.0);
    const auto mean = m_Averager ? m_Averager->Mean() : std::nullopt;
    if (!mean)
        return;
    const double sigma = mean->SigmaNorth && mean->SigmaEast ? std::hypot(*mean->SigmaNorth, *mean->SigmaEast) : 1.0;
    const double scale = (std::min(width(), height()) / 2.0 - 6) / std::max(2.5 * sigma, 0.01);
    p.setPen(QPen(palette().mid().color(), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    for (double k : {1.0, 2.0})
        p.drawEllipse(centre, k * sigma * scale, k * sigma * scale);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().text());
    for (std::size_t i = 0; i < m_Averager->ScatterCount(); ++i) {
        const auto pt = m_Averager->ScatterPoint(i);
        p.drawEllipse(QPointF(centre.x() + pt.East * scale, centre.y() - pt.North * scale), 1.5, 1.5);
    }
    p.setPen(QPen(palette().highlight().color(), 2));
    p.drawLine(centre - QPointF(6, 0), centre + QPointF(6, 0));
    p.drawLine(centre - QPointF(0, 6), centre + QPointF(0, 6));
}

CSatelliteTableModel::CSatelliteTableModel(const CGnssTexts* texts, QObject* parent)
    : QAbstractTableModel(parent), m_Texts(texts)
{
}

void CSatelliteTableModel::SetSatellites(std::vector<SSatellite> sky)
{
    if (sky.size() != m_Sky.size()) {
        beginResetModel();
        m_Sky = std::move(sky);
        endResetModel();
        return;
    }
    for (std::size_t i = 0; i < sky.size(); ++i) {
        const SSatellite& a = m_Sky[i];
        const SSatellite& b = sky[i];
        const bool same = a.System == b.System && a.Id == b.Id && a.Elevation == b.Elevation &&
                          a.Azimuth == b.Azimuth && a.Snr == b.Snr && a.Used == b.Used;
        m_Sky[i] = b;
        if (!same)
            emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), columnCount() - 1));
    }
}

int CSatelliteTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Sky.size());
}

int CSatelliteTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 6;
}

QString CSatelliteTableModel::Cell(const SSatellite& s, int column) const
{
    switch (column) {
    case 0: return QString::fromStdString(m_Texts->Constellation(s.System));
    case 1: return QString::number(s.Id);
    case 2: return Value(s.Elevation, m_Texts);
    case 3: return Value(s.Azimuth, m_Texts);
    case 4: return Value(s.Snr, m_Texts);
    default: return QString::fromStdString(m_Texts->Text(s.Used ? StringIds::Yes : StringIds::No));
    }
}

QVariant CSatelliteTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_Sky.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return Cell(m_Sky[static_cast<std::size_t>(index.row())], index.column());
    return {};
}

QVariant CSatelliteTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    constexpr int ids[] = {StringIds::ColConstellation, StringIds::ColSatellite, StringIds::ColElevation,
                           StringIds::ColAzimuth, StringIds::ColSnr, StringIds::ColUsed};
    return section >= 0 && section < 6 ? QString::fromStdString(m_Texts->Text(ids[section])) : QVariant();
}
