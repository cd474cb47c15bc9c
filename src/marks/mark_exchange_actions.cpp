#include "marks/mark_exchange_actions.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QStringList>

#include <algorithm>
#include <set>
#include <tuple>

#include "ui/utf8_path.h"
#include "marks/mark_exchange.h"
#include "marks/mark_list.h"
#include "ui/message_template.h"
#include "ui/prompter.h"
#include "ui/string_table.h"

namespace {

// In the order of EExchangeFormat.
const QString ExportFilters =
    QStringLiteral("CSV (*.csv);;GPX (*.gpx);;KML (*.kml);;GeoJSON (*.geojson *.json)");
const EExchangeFormat FilterFormats[] = {EExchangeFormat::Csv, EExchangeFormat::Gpx, EExchangeFormat::Kml,
                                         EExchangeFormat::GeoJson};
// A summary lists this many skipped points, then how many more there were.
constexpr std::size_t ListedReasons = 10;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString Arg(QString text, const QString& a1, const QString& a2 = QString())
{
    text.replace(QStringLiteral("%1"), a1);
    return text.replace(QStringLiteral("%2"), a2);
}

int ReasonId(ESkipReason reason)
{
    switch (reason) {
    case ESkipReason::NoLatitude: return StringIds::ImportNoLatitude;
    case ESkipReason::NoLongitude: return StringIds::ImportNoLongitude;
    case ESkipReason::LatitudeNotNumber: return StringIds::ImportLatitudeNotNumber;
    case ESkipReason::LongitudeNotNumber: return StringIds::ImportLongitudeNotNumber;
    case ESkipReason::AltitudeNotNumber: return StringIds::ImportAltitudeNotNumber;
    case ESkipReason::LatitudeOutOfRange: return StringIds::ImportLatitudeOutOfRange;
    case ESkipReason::LongitudeOutOfRange: return StringIds::ImportLongitudeOutOfRange;
    case ESkipReason::AltitudeOutOfRange: return StringIds::ImportAltitudeOutOfRange;
    }
    return StringIds::ImportNoLatitude;
}

}  // namespace

CMarkExchangeActions::CMarkExchangeActions(QWidget* parent, QMenu* menu, QAction* before, CMarkList& marks,
                                           std::string& lastPath, TextFn text, SelectedFn selected)
    : QObject(parent),
      m_Parent(parent),
      m_Marks(marks),
      m_LastPath(lastPath),
      m_Text(std::move(text)),
      m_Selected(std::move(selected)),
      m_Export(new QAction(m_Text(StringIds::ExportMarks), this)),
      m_ExportSelected(new QAction(m_Text(StringIds::ExportSelectedMarks), this)),
      m_Import(new QAction(m_Text(StringIds::ImportMarks), this))
{
    menu->insertActions(before, {m_Export, m_ExportSelected, m_Import});
    menu->insertSeparator(before);
    connect(m_Export, &QAction::triggered, this, [this] { Export(false); });
    connect(m_ExportSelected, &QAction::triggered, this, [this] { Export(true); });
    connect(m_Import, &QAction::triggered, this, &CMarkExchangeActions::Import);
}

void CMarkExchangeActions::Export(bool selectedOnly)
{
    // Each mark keeps its place in the whole list as its number.
    std::set<std::tuple<std::string, std::string, std::string>> chosen;
    if (selectedOnly)
        for (const CMark& m : m_Selected())
            chosen.emplace(m.GetLatitude(), m.GetLongitude(), m.GetAltitude());
    std::vector<CMark> marks;
    std::vector<std::size_t> numbers;
    std::size_t place = 0;
    for (const CMark& m : m_Marks) {
        ++place;
        if (!selectedOnly || chosen.count({m.GetLatitude(), m.GetLongitude(), m.GetAltitude()})) {
            marks.push_back(m);
            numbers.push_back(place);
        }
    }
    if (selectedOnly && marks.empty()) {
        CPrompter::Current().Error(m_Parent, m_Text(StringIds::ExportNothingSelected));
        return;
    }
    QString filter;
    QString path = CPrompter::Current().SaveFileNameFiltered(m_Parent, Q(m_LastPath), ExportFilters, filter);
    if (path.isEmpty())
        return;
    // The extension decides; without one, the filter, and its suffix is added.
    auto format = MarkExchange::FormatFromName(PathFromUtf8(path.toStdString()));
    if (!format) {
        const qsizetype index = ExportFilters.split(QStringLiteral(";;")).indexOf(filter);
        format = index >= 0 ? FilterFormats[index] : EExchangeFormat::Csv;
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + QLatin1String(MarkExchange::Suffix(*format));
    }
    m_LastPath = path.toStdString();
    std::string error;
    const CGridCoordinates* grid = m_Grid ? m_Grid() : nullptr;
    if (!MarkExchange::Export(PathFromUtf8(m_LastPath), *format, marks, error, numbers, grid))
        CPrompter::Current().Error(m_Parent, Q(TranslateMessage(error, [this](int id) { return m_Text(id).toStdString(); })));
}

void CMarkExchangeActions::Import()
{
    const QString filters = m_Text(StringIds::PointFiles) +
                            QStringLiteral(" (*.csv *.gpx *.kml *.geojson *.json);;") + ExportFilters +
                            QStringLiteral(";;All Files (*)");
    const QString path = CPrompter::Current().OpenFileName(m_Parent, Q(m_LastPath), filters, QString());
    if (path.isEmpty())
        return;
    m_LastPath = path.toStdString();
    SImportResult result;
    std::string error;
    if (!MarkExchange::Import(PathFromUtf8(m_LastPath), result, error)) {
        CPrompter::Current().Error(m_Parent, Q(TranslateMessage(error, [this](int id) { return m_Text(id).toStdString(); })));
        return;
    }
    QStringList reasons;
    for (std::size_t i = 0; i < std::min(result.Skipped.size(), ListedReasons); ++i) {
        const SSkippedPoint& s = result.Skipped[i];
        reasons << Arg(m_Text(s.ByLine ? StringIds::ImportAtLine : StringIds::ImportAtPoint),
                       QString::number(s.Line), Arg(m_Text(ReasonId(s.Reason)), Q(s.Value)));
    }
    if (result.Skipped.size() > ListedReasons)
        reasons << Arg(m_Text(StringIds::ImportMoreSkipped), QString::number(result.Skipped.size() - ListedReasons));
    const QString skipped =
        result.Skipped.empty()
            ? QString()
            : QLatin1Char(' ') + Arg(m_Text(StringIds::ImportSkipped), QString::number(result.Skipped.size()),
                                     reasons.join(QStringLiteral("; ")));
    const QString file = QFileInfo(path).fileName();
    if (result.Marks.empty()) {
        CPrompter::Current().Error(m_Parent, Arg(m_Text(StringIds::ImportNothingUsable), file) + skipped);
        return;
    }
    QString text = Arg(m_Text(StringIds::ImportQuestion), QString::number(result.Marks.size()), file) + skipped;
    if (result.MissingAltitude)
        text += QLatin1Char(' ') + Arg(m_Text(StringIds::ImportMissingAltitude), QString::number(result.MissingAltitude));
    std::size_t listed = 0;
    for (const CMark& m : result.Marks)
        listed += m_Marks.Contains(m.GetLatitude(), m.GetLongitude(), m.GetAltitude());
    if (listed)
        text += QLatin1Char(' ') + Arg(m_Text(StringIds::ImportAlreadyListed), QString::number(listed));
    QStringList names;
    for (const std::string& n : result.Names)
        if (!n.empty() && names.size() < static_cast<qsizetype>(ListedReasons))
            names << Q(n);
    if (!names.isEmpty())
        text += QLatin1Char('\n') + Arg(m_Text(StringIds::ImportNames), names.join(QStringLiteral(", ")));
    if (!CPrompter::Current().Question(m_Parent, text, m_Text(StringIds::ImportButton), m_Text(StringIds::Cancel)))
        return;
    MarkExchange::Append(result, m_Marks);
}
