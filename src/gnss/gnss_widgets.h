#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

#include "gnss/gnss_texts.h"
#include "gnss/nmea_parser.h"
#include "gnss/position_averager.h"

// Each constellation has a shape as well as a colour, so neither is needed alone to tell them apart.
void DrawConstellationMark(class QPainter& painter, EConstellation system, QPointF centre, double size, bool filled);

// Azimuth and elevation of each satellite, labelled with its id; used ones filled.
class CSkyPlot : public QWidget {
    Q_OBJECT
public:
    explicit CSkyPlot(QWidget* parent = nullptr);
    void SetSatellites(std::vector<SSatellite> sky, const CGnssTexts* texts);
    QSize sizeHint() const override { return {300, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SSatellite> m_Sky;
    const CGnssTexts* m_Texts = nullptr;
};

// SNR per satellite, grouped by constellation.
class CSignalBars : public QWidget {
    Q_OBJECT
public:
    explicit CSignalBars(QWidget* parent = nullptr);
    void SetSatellites(std::vector<SSatellite> sky);
    QSize sizeHint() const override { return {420, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SSatellite> m_Sky;
};

// The averaged fixes around their mean, with 1 and 2 sigma circles.
class CScatterPlot : public QWidget {
    Q_OBJECT
public:
    explicit CScatterPlot(QWidget* parent = nullptr);
    void SetAverager(const CPositionAverager* averager) { m_Averager = averager; update(); }
    QSize sizeHint() const override { return {260, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CPositionAverager* m_Averager = nullptr;
};

// The sky as a table, for screen readers: the same values as the plot and the bars.
class CSatelliteTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CSatelliteTableModel(const CGnssTexts* texts, QObject* parent = nullptr);
    // Signals only the rows that changed (the whole table when the number of rows changed).
    void SetSatellites(std::vector<SSatellite> sky);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString Cell(const SSatellite& s, int column) const;
    const CGnssTexts* m_Texts;
    std::vector<SSatellite> m_Sky;
};
